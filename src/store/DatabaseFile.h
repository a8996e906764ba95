#pragma once

#include <optional>
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

struct OpenedDatabase {
    DatabaseChoice choice;
    std::optional<Database> db;
    // Empty when the database opened; otherwise the text the user is shown:
    // "找不到数据文件： " + '"' + path + '"' + " " + the engine's message.
    std::string failureMessage;
};

OpenedDatabase OpenDatabase(const std::string& programFolder);

// What the user is told when the file or the server cannot be opened.
std::string DatabaseFailureMessage(const StoreSource& source, const DatabaseError& error);

}  // namespace tarnwick
