#include "ExportTarget.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "Command.h"

namespace tarnwick::cli {
namespace fs = std::filesystem;

void RefuseUnwritable(const std::string& path) {
    if (path.empty()) {
        throw UsageError("the file name is empty");
    }
    std::error_code error;
    const fs::path target(path);
    const auto status = fs::status(target, error);
    if (fs::is_directory(status)) {
        throw std::runtime_error("cannot write " + path + ": it is a folder");
    }
    if (fs::exists(status)) {
        if (access(path.c_str(), W_OK) != 0) {
            throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
        }
        return;
    }
    fs::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    if (!fs::is_directory(folder, error)) {
        throw std::runtime_error("cannot write " + path + ": the folder " + folder.string() +
                                 " does not exist");
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
    }
}

}  // namespace tarnwick::cli
