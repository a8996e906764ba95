#include <iostream>
#include <map>

#include "CliArgs.h"
#include "Commands.h"

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
        {"init-db", RunInitDb},
    };
    try {
        CliArgs args = CliArgs::Parse(
            argc, argv,
            {"db", "market", "version-url", "threads", "window", "max-rate", "delay-ms"},
            {"keep-going"});
        auto command = commands.find(args.command);
        if (command == commands.end()) {
            throw UsageError(args.command.empty() ? "no command given"
                                                  : "unknown command " + args.command);
        }
        return command->second(args);
    } catch (const UsageError& error) {
        std::cerr << "tarnwick-cli: " << error.what() << "\n" << UsageText();
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "tarnwick-cli: " << error.what() << "\n";
        return 1;
    }
}
