#pragma once

#include <string>

#include "store/Database.h"
#include "store/StoreSource.h"

namespace tarnwick {

// The product edition follows from the name of the database file found beside the program.
enum class Edition { Standard, Agent, Partner };

struct DatabaseChoice {
    std::string path;  // program folder + file name
    Edition edition = Edition::Standard;
};

// "vexo.qdb" (agent), else "Tarnwick_zq.qdb" (partner), else "vexodb.qdb" (standard, whether
// or not it exists). programFolder ends with a path separator.
DatabaseChoice ChooseDatabaseFile(const std::string& programFolder);

// What the user is told when the file or the server cannot be opened.
std::string DatabaseFailureMessage(const StoreSource& source, const DatabaseError& error);

}  // namespace tarnwick
