#include <iostream>
#include <map>

#include <string_view>

#include "CliArgs.h"
#include "Commands.h"
#include "CompareCommands.h"
#include "ExitCodes.h"

using namespace tarnwick::cli;

int main(int argc, char** argv) {
    static const std::map<std::string, int (*)(const CliArgs&)> commands = {
        {"analyse", RunAnalyse},
        {"shops", RunShops},
        {"items", RunItems},
        {"buyers", RunBuyers},
        {"reviews", RunReviews},
        {"delete", RunDelete},
        {"export-xlsx", RunExportXlsx},
        {"export-nicks", RunExportNicks},
        {"check-version", RunCheckVersion},
        {"compare", RunCompare},
        {"history", RunHistory},
        {"init-db", RunInitDb},
    };
    for (int i = 1; i < argc; ++i) {
        std::string_view word = argv[i];
        if (word == "--help" || word == "-h" || (i == 1 && word == "help")) {
            std::cout << UsageText() << ExitCodeText();
            return kExitComplete;
        }
    }
    try {
        CliArgs args = CliArgs::Parse(
            argc, argv,
            {"db", "market", "version-url", "threads", "window", "max-list-pages", "max-deal-pages",
             "max-review-pages", "max-body-mb", "fetch-timeout", "xlsx", "csv"},
            {"changed-only"});
        auto command = commands.find(args.command);
        if (command == commands.end()) {
            throw UsageError(args.command.empty() ? "no command given"
                                                  : "unknown command " + args.command);
        }
        return command->second(args);
    } catch (const UsageError& error) {
        std::cerr << "tarnwick-cli: " << error.what() << "\n" << UsageText();
        return kExitUsage;
    } catch (const std::exception& error) {
        std::cerr << "tarnwick-cli: " << error.what() << "\n";
        return kExitStoreFailure;
    }
}
