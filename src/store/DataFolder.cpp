#include "store/DataFolder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace tarnwick {

namespace {

namespace fs = std::filesystem;

const char* const kCandidates[] = {"vexo.qdb", "Tarnwick_zq.qdb", "vexodb.qdb"};

bool HoldsDatabase(const std::string& folder) {
    std::error_code ignored;
    for (const char* name : kCandidates) {
        if (fs::exists(folder + name, ignored)) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool FolderWritable(const std::string& folder) {
    return ::access(folder.c_str(), W_OK) == 0;
}

DataFolderChoice ChooseDataFolder(const std::string& programFolder, const std::string& userFolder,
                                  const std::string& shippedDatabase, bool programFolderWritable) {
    // A database beside the program wins, and so does a folder where the user can put one:
    // that is where the program has always looked.
    if (HoldsDatabase(programFolder) || programFolderWritable || userFolder.empty()) {
        return {programFolder, false, {}};
    }
    DataFolderChoice choice{userFolder, false, {}};
    if (HoldsDatabase(userFolder)) {
        return choice;
    }
    std::error_code error;
    fs::create_directories(userFolder, error);
    if (error) {
        choice.failure = userFolder + ": " + error.message();
        return choice;
    }
    // Copied under another name and renamed, so that an interrupted copy never passes for a
    // database.
    const std::string target = userFolder + "vexodb.qdb";
    const std::string partial = target + ".part";
    fs::copy_file(shippedDatabase, partial, fs::copy_options::overwrite_existing, error);
    if (!error) {
        fs::rename(partial, target, error);
    }
    if (error) {
        fs::remove(partial, error);
        choice.failure = shippedDatabase + " -> " + target + ": " + error.message();
        return choice;
    }
    choice.copiedShipped = true;
    return choice;
}

DataFolderChoice ChooseProgramDataFolder(const std::string& programFolder) {
    return ChooseDataFolder(programFolder, UserDataFolder(), ShippedDatabase(programFolder),
                            FolderWritable(programFolder));
}

std::string UserDataFolder() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
        return std::string(xdg) + "/tarnwick/";
    }
    if (const char* home = std::getenv("HOME"); home && *home) {
        return std::string(home) + "/.local/share/tarnwick/";
    }
    return {};
}

std::string ShippedDatabase(const std::string& programFolder) {
    return programFolder + "../share/tarnwick/vexodb.qdb";
}

}  // namespace tarnwick
