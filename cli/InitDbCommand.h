#pragma once

#include "Command.h"

namespace tarnwick::cli {

// init-db postgresql://...: creates the analysis tables in an empty PostgreSQL database, once;
// init-db --watch-tables LOCATION adds the watch tables to a store made before them.
class InitDbCommand : public Command {
public:
    InitDbCommand();
    void Declare(CLI::App& app) override;
    int Run() override;

private:
    std::string m_location;
    bool m_watchTables = false;
};

}  // namespace tarnwick::cli
