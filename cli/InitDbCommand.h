#pragma once

#include "Command.h"

namespace tarnwick::cli {

// init-db postgresql://...: creates the analysis tables in an empty PostgreSQL database, once.
class InitDbCommand : public Command {
public:
    InitDbCommand();
    void Declare(CLI::App& app) override;
    int Run() override;

private:
    std::string m_location;
};

}  // namespace tarnwick::cli
