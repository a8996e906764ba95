#include "InitDbCommand.h"

#include <iostream>

#include "store/PostgresStore.h"

namespace tarnwick::cli {

InitDbCommand::InitDbCommand()
    : Command("init-db", "Create the analysis tables in an empty PostgreSQL database, once") {
}

void InitDbCommand::Declare(CLI::App& app) {
    app.add_option("LOCATION", m_location,
                   "The team's shared database, postgresql://USER@HOST/DATABASE")
        ->required();
}

int InitDbCommand::Run() {
    if (!IsServerLocation(m_location)) {
        throw UsageError(
            "init-db sets up a PostgreSQL database (postgresql://...); a database "
            "file starts as a copy of the empty vexodb.qdb, not " +
            m_location);
    }
    try {
        PostgresStore::CreateSchema(m_location);
    } catch (const DatabaseError& error) {
        throw std::runtime_error(ShownLocation(m_location) + ": " + error.what());
    }
    std::cout << "已在 " << ShownLocation(m_location) << " 建好分析数据表。\n";
    return 0;
}

}  // namespace tarnwick::cli
