#include "support/TempDatabase.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace tarnwick::test {

std::filesystem::path TempDatabase::MakeTempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tarnwick-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder from " + pattern);
    }
    return pattern;
}

TempDatabase::TempDatabase(const std::string& fileName)
    : m_folder(MakeTempFolder()), m_fileName(fileName) {
    if (!m_fileName.empty()) {
        CopyEmptyDatabase(m_fileName);
    }
}

TempDatabase::~TempDatabase() {
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

std::string TempDatabase::CopyEmptyDatabase(const std::string& fileName) const {
    const std::filesystem::path path = m_folder / fileName;
    std::filesystem::copy_file(TARNWICK_EMPTY_DATABASE, path);
    return path.string();
}

std::string TempDatabase::WriteFile(const std::string& fileName, std::string_view bytes) const {
    const std::filesystem::path path = m_folder / fileName;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
    return path.string();
}

}  // namespace tarnwick::test
