#include "export/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <utility>

#include "export/XlsxExport.h"

namespace tarnwick {
namespace {

// Tries before giving up on a folder where every name we draw is taken: with 64 random bits a
// second try is already a sign that someone is racing us.
constexpr int kNameTries = 16;
// Room left in a file name of NAME_MAX (255) bytes for the dot, the random part and ".part".
constexpr std::size_t kNameBytesKept = 200;

std::string RandomPart() {
    std::random_device device;
    std::uniform_int_distribution<unsigned long long> draw;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", draw(device));
    return text;
}

// A long target name is cut for the temporary one, never inside a UTF-8 sequence.
std::string ShortenedName(const std::string& name) {
    if (name.size() <= kNameBytesKept) {
        return name;
    }
    std::size_t end = kNameBytesKept;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) {
        --end;
    }
    return name.substr(0, end);
}

void SyncFolder(const std::filesystem::path& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        // The rename has happened; a folder that cannot be synced (some file systems refuse)
        // still holds the complete file.
        fsync(fd);
        close(fd);
    }
}

}  // namespace

AtomicFile::AtomicFile(std::string path) : m_path(std::move(path)) {
    const std::filesystem::path target(m_path);
    if (target.filename().empty()) {  // "" or "folder/"
        Fail(m_path.empty() ? ENOENT : EISDIR);
    }
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    const std::string prefix =
        (folder / ("." + ShortenedName(target.filename().string()) + ".")).string();
    // Replacing a file keeps its permissions; a new one gets the user's usual ones.
    mode_t mode = 0666;
    struct stat existing {};
    if (lstat(m_path.c_str(), &existing) == 0) {
        if (S_ISREG(existing.st_mode)) {
            mode = existing.st_mode & 0777;
        } else if (S_ISDIR(existing.st_mode)) {
            Fail(EISDIR);
        } else if (S_ISLNK(existing.st_mode)) {
            // The link is replaced, never written through; but a link to a device or a pipe
            // (/dev/stdout) is surely not meant to become a file in /dev.
            struct stat linked {};
            if (stat(m_path.c_str(), &linked) == 0 && !S_ISREG(linked.st_mode)) {
                throw ExportError("无法写入文件 \"" + m_path +
                                  "\": 它是指向设备或管道的链接 (a link to something that is "
                                  "not a file)");
            }
        } else {
            // A device, a pipe or a socket the user named: there is no half-written file to
            // fear, and renaming over it would replace the device node itself.
            m_fd = open(m_path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
            if (m_fd < 0) {
                Fail(errno);
            }
            m_direct = true;
            return;
        }
    }
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        std::string candidate = prefix + RandomPart() + ".part";
        // O_EXCL refuses any existing name, a dangling symbolic link included.
        m_fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (m_fd >= 0) {
            m_temporary = std::move(candidate);
            if (mode != 0666) {
                fchmod(m_fd, mode);
            }
            return;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    Fail(errno);
}

AtomicFile::~AtomicFile() {
    if (m_fd >= 0) {
        close(m_fd);
    }
    if (!m_committed && !m_temporary.empty()) {
        unlink(m_temporary.c_str());
    }
}

std::string AtomicFile::WritablePath() const {
    // Opening the descriptor's own entry reaches the very file we created, not whatever a
    // process that can write the folder has since moved to its name.
    std::string own = "/proc/self/fd/" + std::to_string(m_fd);
    if (access(own.c_str(), W_OK) == 0) {
        return own;
    }
    return m_direct ? m_path : m_temporary;
}

void AtomicFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(m_fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail(errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

void AtomicFile::Commit() {
    if (m_committed) {
        return;
    }
    if (m_direct) {
        m_committed = true;
        if (close(std::exchange(m_fd, -1)) != 0) {
            Fail(errno);
        }
        return;
    }
    // A disk that fills up or fails shows here, before the old file is given up.
    if (fsync(m_fd) != 0) {
        Fail(errno);
    }
    const int fd = std::exchange(m_fd, -1);
    if (close(fd) != 0) {
        Fail(errno);
    }
    if (std::rename(m_temporary.c_str(), m_path.c_str()) != 0) {
        Fail(errno);
    }
    m_committed = true;
    std::filesystem::path folder = std::filesystem::path(m_path).parent_path();
    SyncFolder(folder.empty() ? std::filesystem::path(".") : folder);
}

void AtomicFile::Fail(int error) const {
    throw ExportError("无法写入文件 \"" + m_path + "\": " + std::strerror(error));
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    AtomicFile file(path);
    file.Write(bytes);
    file.Commit();
}

}  // namespace tarnwick
