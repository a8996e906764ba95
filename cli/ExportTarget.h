#pragma once

#include <string>

namespace tarnwick::cli {

// Refuses a file name that cannot be written before anything is read, so that a long read
// does not end in a failed write: an empty name is a usage error; a folder, a missing or
// read-only folder, or a read-only file is a std::runtime_error naming the path.
void RefuseUnwritable(const std::string& path);

}  // namespace tarnwick::cli
