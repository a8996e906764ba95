#include "ExportTarget.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

AtomicFile::AtomicFile(std::string path)
    : m_path(std::move(path)),
      m_temporary(m_path + ".part" + std::to_string(static_cast<long>(getpid()))) {
}

AtomicFile::~AtomicFile() {
    if (!m_committed) {
        std::remove(m_temporary.c_str());
    }
}

void AtomicFile::Commit() {
    if (std::rename(m_temporary.c_str(), m_path.c_str()) != 0) {
        throw std::runtime_error("cannot write " + m_path + ": " + std::strerror(errno));
    }
    m_committed = true;
}

}  // namespace tarnwick::cli
