#include "store/DatabaseFile.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace tarnwick {

namespace {

bool FileExists(const std::string& path) {
    // A folder we may not look into counts as holding no such file.
    std::error_code ignored;
    return std::filesystem::exists(path, ignored);
}

}  // namespace

DatabaseChoice ChooseDatabaseFile(const std::string& programFolder) {
    if (std::string path = programFolder + "vexo.qdb"; FileExists(path)) {
        return {std::move(path), Edition::Agent};
    }
    if (std::string path = programFolder + "Tarnwick_zq.qdb"; FileExists(path)) {
        return {std::move(path), Edition::Partner};
    }
    // Tried even when it is missing, so that the engine's own complaint reaches the user.
    return {programFolder + "vexodb.qdb", Edition::Standard};
}

std::string DatabaseFailureMessage(const StoreSource& source, const DatabaseError& error) {
    if (source.IsServer()) {
        return "无法连接数据库服务器： \"" + source.Shown() + "\" " + std::string(error.what());
    }
    return "找不到数据文件： \"" + source.Location() + "\" " + std::string(error.what());
}

}  // namespace tarnwick
