#pragma once

#include <string>

#include "store/DatabaseFile.h"
#include "store/StoreSource.h"

namespace tarnwick {

// Where a program keeps its analyses, chosen once at start, and the same way by the desktop
// program and the command line so that both use one store: the one --db names, else the
// database file found among the data folder's (see ChooseProgramDataFolder).
struct StoreChoice {
    StoreSource source;
    Edition edition = Edition::Standard;  // a store --db names is the standard edition's
    // Without --db only, for the program to tell the user: the user's data folder was set up
    // just now from the shipped empty database (firstUse), or why it could not be (failure).
    bool firstUse = false;
    std::string failure;
};

// dbOption is --db's value, empty when not given; programFolder ends with a path separator.
StoreChoice ChooseStore(const std::string& dbOption, const std::string& programFolder);

// The folder of the running program, ending with a path separator; "./" when it cannot be told.
std::string RunningProgramFolder();

}  // namespace tarnwick
