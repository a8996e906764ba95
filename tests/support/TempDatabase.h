#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tarnwick::test {

// A folder of its own holding a fresh copy of the empty database the build produces, removed
// with everything in it when the object goes.
class TempDatabase {
public:
    // fileName: the name the copy gets inside the folder; empty leaves the folder empty.
    explicit TempDatabase(const std::string& fileName = "vexodb.qdb");
    ~TempDatabase();
    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;

    const std::filesystem::path& Folder() const { return m_folder; }
    std::string FolderWithSeparator() const { return m_folder.string() + "/"; }
    std::string Path() const { return (m_folder / m_fileName).string(); }

    // Another copy of the empty database in the same folder; returns its path.
    std::string CopyEmptyDatabase(const std::string& fileName) const;
    // A file of the given bytes in the same folder (a damaged or foreign file); returns its path.
    std::string WriteFile(const std::string& fileName, std::string_view bytes) const;

    // A new empty folder under the system temporary folder; the caller removes it.
    static std::filesystem::path MakeTempFolder();

private:
    std::filesystem::path m_folder;
    std::string m_fileName;
};

}  // namespace tarnwick::test
