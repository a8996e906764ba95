#pragma once

#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "Command.h"

namespace tarnwick::cli {

// tarnwick-cli as a whole: the program's own options (--help, --version), its commands, and
// the way a parse failure or a command's failure becomes a message and an exit code.
class CommandLine {
public:
    CommandLine();
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    // Parses the arguments and runs the chosen command; returns the exit code. Help goes to
    // standard output, messages to standard error.
    int Run(int argc, char** argv);

    CLI::App& App() { return m_app; }
    const std::vector<std::unique_ptr<Command>>& Commands() const { return m_commands; }
    // The app of a command, or null.
    CLI::App* Find(const std::string& name);
    // "Usage: tarnwick-cli items [OPTIONS] SID"; the program's own for null.
    std::string Usage(const CLI::App* app) const;

private:
    void Add(std::unique_ptr<Command> command);
    int UsageFailure(const CLI::App* app, const std::string& message) const;

    CLI::App m_app;
    std::vector<std::unique_ptr<Command>> m_commands;
    std::vector<std::pair<CLI::App*, Command*>> m_apps;
};

}  // namespace tarnwick::cli
