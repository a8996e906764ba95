#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/DateTime.h"

namespace tarnwick::cli {

enum class OutputFormat { Table, Csv, Json };

// "table", "csv", "json".
std::optional<OutputFormat> ParseOutputFormat(std::string_view name);

// One value of a view: nothing, a count, an amount of money, a text, a date-time.
using ViewCell = std::variant<std::monostate, std::int64_t, double, std::string, DateTime>;

// The rows of one view, typed, so that each output format writes them its own way: the table
// for people (captions, money to the cent, times to the second), CSV and JSON for programs
// (column names that do not change with the interface's language, numbers as they are, ISO
// 8601 times).
class ViewTable {
public:
    struct Column {
        std::string name;     // the key in CSV and JSON: the database column
        std::string caption;  // the table's header, as the desktop program shows it
    };

    explicit ViewTable(std::vector<Column> columns);
    void AddRow(std::vector<ViewCell> cells);
    std::size_t RowCount() const { return m_rows.size(); }

    void Print(OutputFormat format, std::ostream& out, bool byteOrderMark = false) const;
    // Texts through TerminalText: no control character reaches the terminal.
    void PrintTable(std::ostream& out) const;
    // Through CsvWriter: RFC 4180 with CR LF line ends, texts that a spreadsheet would take for
    // a formula kept text, numbers as numbers. The mark lets spreadsheet programs see UTF-8
    // rather than the local code page.
    void PrintCsv(std::ostream& out, bool byteOrderMark) const;
    // One array of objects keyed by the column names.
    void PrintJson(std::ostream& out) const;

private:
    std::vector<Column> m_columns;
    std::vector<std::vector<ViewCell>> m_rows;
};

// "2026-03-01T09:05:07.250"; nothing for the zero value, which the store holds where no time
// was read, or for a value that names no time.
std::optional<std::string> IsoDateTime(DateTime time);

// The shortest text that reads back as the same double, whatever the locale.
std::string NumberText(double value);

}  // namespace tarnwick::cli
