#include "InitDbCommand.h"

#include <iostream>

#include "store/PostgresStore.h"

namespace tarnwick::cli {

InitDbCommand::InitDbCommand()
    : Command("init-db", "Create the analysis tables in an empty PostgreSQL database, once") {
}

void InitDbCommand::Declare(CLI::App& app) {
    app.add_option("LOCATION", m_location,
                   "The team's shared database, postgresql://USER@HOST/DATABASE; with "
                   "--watch-tables, a database file too")
        ->required();
    app.add_flag("--watch-tables", m_watchTables,
                 "Add only the tables of watched shops, alerts and channels to a database made "
                 "before them (a file or a server); the rest stays as it is");
    MarkPositionalFiles();
}

int InitDbCommand::Run() {
    const StoreSource source = StoreSource::Parse(m_location);
    if (m_watchTables) {
        Store store = OpenStore(source);
        try {
            store.CreateWatchTables();
        } catch (const DatabaseError& error) {
            throw std::runtime_error(source.Shown() + ": " + error.what());
        }
        std::cout << "已在 " << source.Shown() << " 添加监控用的数据表。\n";
        return 0;
    }
    if (!source.IsServer()) {
        throw UsageError(
            "init-db sets up a PostgreSQL database (postgresql://...); a database "
            "file starts as a copy of the empty vexodb.qdb, not " +
            m_location);
    }
    try {
        PostgresStore::CreateSchema(source.Location());
    } catch (const DatabaseError& error) {
        throw std::runtime_error(source.Shown() + ": " + error.what());
    }
    std::cout << "已在 " << source.Shown() << " 建好分析数据表。\n";
    return 0;
}

}  // namespace tarnwick::cli
