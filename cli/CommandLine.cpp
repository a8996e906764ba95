#include "CommandLine.h"

#include <iostream>

#include "AlertsCommand.h"
#include "AnalyseCommand.h"
#include "BuyersCommand.h"
#include "CheckVersionCommand.h"
#include "CompareCommands.h"
#include "CompletionCommand.h"
#include "DeleteCommand.h"
#include "ExitCodes.h"
#include "ExportCsvCommand.h"
#include "ExportNicksCommand.h"
#include "ExportXlsxCommand.h"
#include "HelpCommand.h"
#include "InitDbCommand.h"
#include "ItemsCommand.h"
#include "NotifyCommand.h"
#include "ReviewsCommand.h"
#include "ShopsCommand.h"
#include "WatchCommand.h"
#include "base/Version.h"

namespace tarnwick::cli {
namespace {

constexpr const char* kProgram = "tarnwick-cli";

std::string Footer() {
    return std::string("\n") + ExitCodeText() +
           "\nExamples:\n"
           "  analyse --threads 6 NICK        analyse a shop with six threads\n"
           "  analyse -- -NICK                a nick that begins with '-'\n"
           "  shops --format csv              the stored analyses as CSV\n"
           "  export-csv --bom SID items.csv  a run's items for Excel\n"
           "\nRun 'tarnwick-cli help COMMAND' or 'tarnwick-cli COMMAND --help' for a command's "
           "options.";
}

}  // namespace

CommandLine::CommandLine()
    : m_app(
          "Analyses a competitor's Taobao shop into the local database, and shows and exports "
          "what it stored, without a display.",
          kProgram) {
    m_app.set_version_flag("--version", std::string(kProgram) + " " + kVersionText);
    m_app.footer(Footer());
    // One command a call: a second command word is an error, not a second run.
    m_app.require_subcommand(0, 1);
    Add(std::make_unique<AnalyseCommand>());
    Add(std::make_unique<ShopsCommand>());
    Add(std::make_unique<ItemsCommand>());
    Add(std::make_unique<BuyersCommand>());
    Add(std::make_unique<ReviewsCommand>());
    Add(std::make_unique<DeleteCommand>());
    Add(std::make_unique<ExportXlsxCommand>());
    Add(std::make_unique<ExportCsvCommand>());
    Add(std::make_unique<ExportNicksCommand>());
    Add(std::make_unique<CompareCommand>());
    Add(std::make_unique<HistoryCommand>());
    Add(std::make_unique<WatchCommand>());
    Add(std::make_unique<AlertsCommand>());
    Add(std::make_unique<NotifyCommand>());
    Add(std::make_unique<CheckVersionCommand>());
    Add(std::make_unique<InitDbCommand>());
    Add(std::make_unique<HelpCommand>(*this));
    Add(std::make_unique<CompletionCommand>(*this));
}

void CommandLine::Add(std::unique_ptr<Command> command) {
    CLI::App* app = m_app.add_subcommand(command->Name(), command->Description());
    // Not the program's long footer under every command: the exit codes that matter here.
    app->footer(command->Name() == "analyse"
                    ? std::string("\n") + ExitCodeText()
                    : std::string("\nExit status: 0 done, 1 a failure named on standard error, 2 "
                                  "bad usage."));
    command->Declare(*app);
    m_apps.emplace_back(app, command.get());
    m_commands.push_back(std::move(command));
}

CLI::App* CommandLine::Find(const std::string& name) {
    for (auto& [app, command] : m_apps) {
        if (command->Name() == name) {
            return app;
        }
    }
    return nullptr;
}

std::string CommandLine::Usage(const CLI::App* app) const {
    CLI::Formatter formatter;
    if (app == nullptr || app == &m_app) {
        return formatter.make_usage(&m_app, kProgram);
    }
    return formatter.make_usage(app, std::string(kProgram) + " " + app->get_name());
}

int CommandLine::UsageFailure(const CLI::App* app, const std::string& message) const {
    std::cerr << kProgram << ": " << message << '\n'
              << Usage(app) << "Run '" << kProgram << (app ? " " + app->get_name() : std::string())
              << " --help' for more.\n";
    return kExitUsage;
}

int CommandLine::Run(int argc, char** argv) {
    auto selected = [&]() -> std::pair<CLI::App*, Command*> {
        for (CLI::App* sub : m_app.get_subcommands()) {
            for (auto& [app, command] : m_apps) {
                if (app == sub) {
                    return {app, command};
                }
            }
        }
        return {nullptr, nullptr};
    };
    try {
        m_app.parse(argc, argv);
    } catch (const CLI::Success& done) {  // --help, --version
        return m_app.exit(done);
    } catch (const CLI::ExtrasError& error) {
        auto [app, command] = selected();
        // Before any command, a word that is not one is a mistyped command.
        if (app == nullptr) {
            const auto extras = m_app.remaining();
            if (!extras.empty() && extras.front().rfind('-', 0) != 0) {
                return UsageFailure(nullptr, "unknown command " + extras.front());
            }
        }
        return UsageFailure(app, error.what());
    } catch (const CLI::RequiredError& error) {
        // "NICK is required" for `analyse -shop` hides what happened to the word typed.
        CLI::App* app = selected().first;
        std::string message = error.what();
        if (app != nullptr && !app->remaining().empty()) {
            message += "; not taken: " + CLI::detail::join(app->remaining(), " ") +
                       " (put -- before a value that begins with '-')";
        }
        return UsageFailure(app, message);
    } catch (const CLI::ParseError& error) {
        return UsageFailure(selected().first, error.what());
    }

    auto [app, command] = selected();
    if (command == nullptr) {
        return UsageFailure(nullptr, "no command given");
    }
    try {
        return command->Run();
    } catch (const UsageError& error) {
        return UsageFailure(app, error.what());
    } catch (const std::exception& error) {
        std::cout.flush();
        std::cerr << kProgram << ": " << error.what() << '\n';
        return kExitStoreFailure;
    }
}

}  // namespace tarnwick::cli
