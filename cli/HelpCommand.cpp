#include "HelpCommand.h"

#include <iostream>

#include "CommandLine.h"

namespace tarnwick::cli {

HelpCommand::HelpCommand(CommandLine& commandLine)
    : Command("help", "Show the help of the program or of one command"),
      m_commandLine(commandLine) {
}

void HelpCommand::Declare(CLI::App& app) {
    app.add_option("COMMAND", m_command, "The command to explain");
}

int HelpCommand::Run() {
    if (m_command.empty()) {
        // The program's own help, not this command's, which CLI11 would pick as the one chosen.
        CLI::Formatter formatter;
        std::cout << formatter.make_help(&m_commandLine.App(), "tarnwick-cli",
                                         CLI::AppFormatMode::Normal);
        return 0;
    }
    const CLI::App* app = m_commandLine.Find(m_command);
    if (app == nullptr) {
        throw UsageError("unknown command " + m_command);
    }
    std::cout << app->help("tarnwick-cli");
    return 0;
}

}  // namespace tarnwick::cli
