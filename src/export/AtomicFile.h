#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// Every file we hand the user is written through this: the bytes go into a temporary file in
// the target's folder, which takes the target's name only once it is complete and on disk. A
// crash, a kill or a full disk never leaves half a file under the chosen name, nor spoils the
// file that was there.
//
// The temporary file is created exclusively (never opened if something is already at its
// name, a symbolic link included) under a name nobody can guess, so a link planted beside the
// target cannot make us write elsewhere. A target that is a symbolic link is replaced by the
// new file; the file the link pointed to is left as it was. A link to something that is not a
// file (a device, a pipe) is refused. A target that is itself a device or a pipe is written
// directly, as there is no half-written file to avoid and renaming would replace the device.
class AtomicFile {
public:
    // Creates the temporary file. Throws ExportError naming the target and the reason.
    explicit AtomicFile(std::string path);
    // Without Commit the temporary file is removed and the target stays as it was.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    const std::string& Path() const { return m_path; }
    const std::string& TemporaryPath() const { return m_temporary; }
    // A name that opens exactly the file created here, whatever is put at the temporary name
    // afterwards: for libraries that write to a file name of their own (libxlsxwriter).
    std::string WritablePath() const;

    // Appends bytes; throws ExportError.
    void Write(std::string_view bytes);
    // Gives the file its name: flushed to disk, renamed over the target, the folder synced.
    // Throws ExportError; the target is then as it was.
    void Commit();

private:
    [[noreturn]] void Fail(int error) const;

    std::string m_path;
    std::string m_temporary;
    int m_fd = -1;
    bool m_direct = false;  // a device or a pipe, written in place
    bool m_committed = false;
};

// The whole file in one step through an AtomicFile.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace tarnwick
