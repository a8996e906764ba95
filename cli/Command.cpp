#include "Command.h"

#include <algorithm>
#include <iostream>

#include "store/DatabaseFile.h"
#include "store/StoreChoice.h"
#include "store/TimeWindow.h"

namespace tarnwick::cli {
namespace {

std::string JoinedChoices(const std::vector<std::string>& choices, const char* separator) {
    std::string text;
    for (const auto& choice : choices) {
        text += (text.empty() ? "" : separator) + choice;
    }
    return text;
}

}  // namespace

Command::Command(std::string name, std::string description)
    : m_name(std::move(name)), m_description(std::move(description)) {
}

void Command::AddDatabaseOption(CLI::App& app) {
    app.add_option("--db", m_database,
                   "The database file, or the postgresql://USER@HOST/DATABASE address of a "
                   "team's shared database; without it, the file beside the program, as the "
                   "desktop program chooses it")
        ->type_name("FILE|URL");
    MarkFileOption("--db");
}

// The start-up choice the desktop program makes, with its notices on standard error.
StoreSource Command::Source() const {
    const StoreChoice choice = ChooseStore(m_database, RunningProgramFolder());
    if (choice.firstUse) {
        std::cerr << "tarnwick-cli: first use: the analyses are kept in "
                  << choice.source.Location() << "\n";
    } else if (!choice.failure.empty()) {
        std::cerr << "tarnwick-cli: cannot create the database file: " << choice.failure << "\n";
    }
    return choice.source;
}

Store Command::OpenStore() const {
    return OpenStore(Source());
}

Store Command::OpenStore(const StoreSource& source) const {
    try {
        return Store::Open(source);
    } catch (const DatabaseError& error) {
        throw std::runtime_error(DatabaseFailureMessage(source, error));
    }
}

CLI::Option* Command::AddChoiceOption(CLI::App& app, const std::string& name, std::string& value,
                                      std::vector<std::string> choices, const std::string& help) {
    const std::string names = JoinedChoices(choices, "|");
    CLI::Validator oneOf(
        [choices](std::string& given) -> std::string {
            if (std::find(choices.begin(), choices.end(), given) != choices.end()) {
                return "";
            }
            return "one of " + JoinedChoices(choices, ", ") + "; not " + given;
        },
        "", "one of");
    m_choices[name] = std::move(choices);
    return app.add_option(name, value, help)->type_name(names)->check(oneOf);
}

void RequireKnownRun(Store& store, const std::string& sid) {
    for (const ShopRow& shop : store.ReadShops()) {
        if (shop.SID == sid) {
            return;
        }
    }
    // A run stopped before its shop row was written may still have left items.
    if (!store.ReadItems(sid).empty()) {
        return;
    }
    throw std::runtime_error("no analysis with SID " + sid + " (tarnwick-cli shops lists them)");
}

void RequireWatchTables(Store& store) {
    if (!store.HasWatchTables()) {
        throw std::runtime_error(
            "这个数据库还没有监控用的表 (它比监控功能早); 其余功能照常. 添加: tarnwick-cli "
            "init-db --watch-tables DATABASE");
    }
}

void ViewCommand::AddFormatOptions(CLI::App& app) {
    AddDatabaseOption(app);
    AddChoiceOption(app, "--format", m_format, {"table", "csv", "json"},
                    "table for people (the default); csv (RFC 4180, UTF-8) or json (an array of "
                    "objects) for programs, keyed by the database's column names, numbers "
                    "unformatted, times in ISO 8601");
    app.add_flag("--bom", m_bom,
                 "Begin CSV with a UTF-8 byte-order mark, so that Excel shows Chinese text");
}

void ViewCommand::AddWindowOption(CLI::App& app) {
    AddChoiceOption(app, "--window", m_window, {"all", "week", "month", "this-week", "this-month"},
                    "Only what sold (or was bought, reviewed) from: 7 days ago, 30 days ago, this "
                    "Monday, the first of this month; all by default");
}

std::optional<DateTime> ViewCommand::WindowBound() const {
    // The option's check has already refused any other name.
    return LowerBound(ParseTimeWindow(m_window).value_or(TimeWindow::AllData), DateTime::Now());
}

OutputFormat ViewCommand::Format() const {
    return ParseOutputFormat(m_format).value_or(OutputFormat::Table);
}

void ViewCommand::Emit(const ViewTable& table, const std::string& countLine) const {
    table.Print(Format(), std::cout, m_bom);
    if (Format() == OutputFormat::Table && !countLine.empty()) {
        std::cout << countLine << '\n';
    }
}

}  // namespace tarnwick::cli
