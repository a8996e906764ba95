#pragma once

#include <string>

namespace tarnwick::cli {

// Refuses a file name that cannot be written before anything is read, so that a long read
// does not end in a failed write: an empty name is a usage error; a folder, a missing or
// read-only folder, or a read-only file is a std::runtime_error naming the path.
void RefuseUnwritable(const std::string& path);

// Writes a file through a temporary one beside it that takes its name only when it is
// complete, so that a failed export never leaves half a file or spoils an old one.
class AtomicFile {
public:
    explicit AtomicFile(std::string path);
    ~AtomicFile();  // removes the temporary file unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    const std::string& TemporaryPath() const { return m_temporary; }
    // Gives the written file its name; throws std::runtime_error when that fails.
    void Commit();

private:
    std::string m_path;
    std::string m_temporary;
    bool m_committed = false;
};

}  // namespace tarnwick::cli
