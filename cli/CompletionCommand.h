#pragma once

#include "Command.h"

namespace tarnwick::cli {

class CommandLine;

// completion bash: the bash completion script, made from the commands' own declarations so
// that it never offers an option a command does not take. The build installs its output.
class CompletionCommand : public Command {
public:
    explicit CompletionCommand(CommandLine& commandLine);
    void Declare(CLI::App& app) override;
    int Run() override;

    static std::string BashScript(CommandLine& commandLine);

private:
    CommandLine& m_commandLine;
    std::string m_shell;
};

}  // namespace tarnwick::cli
