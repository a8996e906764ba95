#pragma once

#include "Command.h"

namespace tarnwick::cli {

class CommandLine;

// help [COMMAND]: the program's help, or one command's.
class HelpCommand : public Command {
public:
    explicit HelpCommand(CommandLine& commandLine);
    void Declare(CLI::App& app) override;
    int Run() override;

private:
    CommandLine& m_commandLine;
    std::string m_command;
};

}  // namespace tarnwick::cli
