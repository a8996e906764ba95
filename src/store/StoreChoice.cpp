#include "store/StoreChoice.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "store/DataFolder.h"

namespace tarnwick {

StoreChoice ChooseStore(const std::string& dbOption, const std::string& programFolder) {
    StoreChoice choice;
    if (!dbOption.empty()) {
        choice.source = StoreSource::Parse(dbOption);
        return choice;
    }
    DataFolderChoice data = ChooseProgramDataFolder(programFolder);
    DatabaseChoice file = ChooseDatabaseFile(data.folder);
    choice.source = StoreSource::File(std::move(file.path));
    choice.edition = file.edition;
    choice.firstUse = data.copiedShipped;
    choice.failure = std::move(data.failure);
    return choice;
}

std::string RunningProgramFolder() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return "./";
    }
    return exe.parent_path().string() + "/";
}

}  // namespace tarnwick
