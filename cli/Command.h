#pragma once

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "ViewTable.h"
#include "store/Store.h"

namespace tarnwick::cli {

// A command line that cannot be carried out as given; the message says why, and the command's
// usage follows it. Exit code 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One subcommand of tarnwick-cli: it declares its positionals, options and help on its own
// CLI11 app, and runs once they are parsed. Failures it can name throw UsageError or a
// std::runtime_error (exit code 1); Run returns the exit code otherwise.
class Command {
public:
    Command(std::string name, std::string description);
    virtual ~Command() = default;
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    const std::string& Name() const { return m_name; }
    const std::string& Description() const { return m_description; }

    virtual void Declare(CLI::App& app) = 0;
    virtual int Run() = 0;

    // What the completion script offers after an option: its fixed values, or file names.
    const std::map<std::string, std::vector<std::string>>& OptionChoices() const {
        return m_choices;
    }
    bool OptionTakesFile(const std::string& option) const { return m_fileOptions.count(option); }
    bool PositionalsTakeFiles() const { return m_positionalFiles; }

protected:
    // --db FILE: the database to use instead of the one beside the program.
    void AddDatabaseOption(CLI::App& app);
    // The store --db names (parsed once, here), or the file the desktop program would choose.
    StoreSource Source() const;
    Store OpenStore() const;
    // A failure names the file, or the server with its password hidden.
    Store OpenStore(const StoreSource& source) const;

    // An option whose value is one of `choices`; a other value is a usage error that lists
    // them.
    CLI::Option* AddChoiceOption(CLI::App& app, const std::string& name, std::string& value,
                                 std::vector<std::string> choices, const std::string& help);
    void MarkFileOption(const std::string& option) { m_fileOptions.insert(option); }
    void MarkPositionalFiles() { m_positionalFiles = true; }

private:
    std::string m_name;
    std::string m_description;
    std::string m_database;
    std::map<std::string, std::vector<std::string>> m_choices;
    std::set<std::string> m_fileOptions;
    bool m_positionalFiles = false;
};

// The shops and items of one run are only shown or written when the run is known: a mistyped
// SID should say so rather than give an empty list. Throws std::runtime_error otherwise.
void RequireKnownRun(Store& store, const std::string& sid);

// The watch, alerts and notify commands need the watch tables, which databases made before
// them lack; the message says how to add them. Throws std::runtime_error.
void RequireWatchTables(Store& store);

// A command that shows rows: --format table|csv|json and --bom beside --db.
class ViewCommand : public Command {
public:
    using Command::Command;

protected:
    void AddFormatOptions(CLI::App& app);
    // --window all|week|month|this-week|this-month; the lower bound it gives now.
    void AddWindowOption(CLI::App& app);
    std::optional<DateTime> WindowBound() const;

    OutputFormat Format() const;
    // The rows in the chosen format; the count line only under the table, where people read it.
    void Emit(const ViewTable& table, const std::string& countLine = "") const;

private:
    std::string m_format = "table";
    bool m_bom = false;
    std::string m_window = "all";
};

}  // namespace tarnwick::cli
