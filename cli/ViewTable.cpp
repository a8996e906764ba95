#include "ViewTable.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <type_traits>

#include "TextTable.h"
#include "base/Utf8.h"
#include "export/CsvWriter.h"

namespace tarnwick::cli {
namespace {

std::string MoneyText(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

// The form people read in the table: to the second, the zero value as it is stored.
std::string TableTime(DateTime time) {
    try {
        return time.ToText().substr(0, 19);
    } catch (const InvalidDateTime&) {
        return "";
    }
}

std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        switch (c) {
            case '"':
                quoted += "\\\"";
                break;
            case '\\':
                quoted += "\\\\";
                break;
            case '\n':
                quoted += "\\n";
                break;
            case '\r':
                quoted += "\\r";
                break;
            case '\t':
                quoted += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", c);
                    quoted += escape;
                } else {
                    quoted += c;
                }
        }
    }
    return quoted + "\"";
}

// The cell for programs: numbers as they are, times in ISO 8601, texts as valid UTF-8; nothing
// when there is no value (an empty CSV field, JSON null).
std::optional<std::string> PlainText(const ViewCell& cell) {
    return std::visit(
        [](const auto& value) -> std::optional<std::string> {
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                return std::nullopt;
            } else if constexpr (std::is_same_v<T, std::int64_t>) {
                return std::to_string(value);
            } else if constexpr (std::is_same_v<T, double>) {
                if (!std::isfinite(value)) {
                    return std::nullopt;
                }
                return NumberText(value);
            } else if constexpr (std::is_same_v<T, std::string>) {
                // Stored texts come from pages and may hold anything; a JSON reader refuses
                // the whole document for one stray byte.
                return ValidUtf8(value);
            } else {
                return IsoDateTime(value);
            }
        },
        cell);
}

}  // namespace

std::optional<OutputFormat> ParseOutputFormat(std::string_view name) {
    if (name == "table") {
        return OutputFormat::Table;
    }
    if (name == "csv") {
        return OutputFormat::Csv;
    }
    if (name == "json") {
        return OutputFormat::Json;
    }
    return std::nullopt;
}

std::optional<std::string> IsoDateTime(DateTime time) {
    if (time == DateTime()) {
        return std::nullopt;
    }
    try {
        const DateTime::Parts p = time.Split();
        char text[32];
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", p.year, p.month,
                      p.day, p.hour, p.minute, p.second, p.millisecond);
        return text;
    } catch (const InvalidDateTime&) {
        return std::nullopt;
    }
}

std::string NumberText(double value) {
    char text[64];
    auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc() ? std::string(text, end) : std::string();
}

ViewTable::ViewTable(std::vector<Column> columns) : m_columns(std::move(columns)) {
}

void ViewTable::AddRow(std::vector<ViewCell> cells) {
    cells.resize(m_columns.size());
    m_rows.push_back(std::move(cells));
}

void ViewTable::Print(OutputFormat format, std::ostream& out, bool byteOrderMark) const {
    switch (format) {
        case OutputFormat::Table:
            PrintTable(out);
            break;
        case OutputFormat::Csv:
            PrintCsv(out, byteOrderMark);
            break;
        case OutputFormat::Json:
            PrintJson(out);
            break;
    }
}

void ViewTable::PrintTable(std::ostream& out) const {
    std::vector<std::string> header;
    for (const Column& column : m_columns) {
        header.push_back(column.caption);
    }
    TextTable table(std::move(header));
    for (const auto& row : m_rows) {
        std::vector<std::string> cells;
        for (const ViewCell& cell : row) {
            cells.push_back(std::visit(
                [](const auto& value) -> std::string {
                    using T = std::decay_t<decltype(value)>;
                    if constexpr (std::is_same_v<T, std::monostate>) {
                        return "";
                    } else if constexpr (std::is_same_v<T, std::int64_t>) {
                        return std::to_string(value);
                    } else if constexpr (std::is_same_v<T, double>) {
                        return MoneyText(value);
                    } else if constexpr (std::is_same_v<T, std::string>) {
                        return value;
                    } else {
                        return TableTime(value);
                    }
                },
                cell));
        }
        table.AddRow(std::move(cells));
    }
    table.Print(out);
}

void ViewTable::PrintCsv(std::ostream& out, bool byteOrderMark) const {
    CsvWriter csv(out);
    if (byteOrderMark) {
        csv.ByteOrderMark();
    }
    for (const Column& column : m_columns) {
        csv.Text(column.name);
    }
    csv.EndRecord();
    for (const auto& row : m_rows) {
        for (const ViewCell& cell : row) {
            const std::optional<std::string> text = PlainText(cell);
            if (!text) {
                csv.Empty();
            } else if (std::holds_alternative<std::int64_t>(cell) ||
                       std::holds_alternative<double>(cell)) {
                csv.Number(*text);
            } else {
                csv.Text(*text);
            }
        }
        csv.EndRecord();
    }
}

void ViewTable::PrintJson(std::ostream& out) const {
    out << '[';
    for (std::size_t r = 0; r < m_rows.size(); ++r) {
        out << (r == 0 ? "\n  {" : ",\n  {");
        for (std::size_t c = 0; c < m_columns.size(); ++c) {
            out << (c == 0 ? "" : ", ") << JsonString(m_columns[c].name) << ": ";
            const ViewCell& cell = m_rows[r][c];
            const std::optional<std::string> text = PlainText(cell);
            if (!text) {
                out << "null";
            } else if (std::holds_alternative<std::string>(cell) ||
                       std::holds_alternative<DateTime>(cell)) {
                out << JsonString(*text);
            } else {
                out << *text;
            }
        }
        out << '}';
    }
    out << (m_rows.empty() ? "]\n" : "\n]\n");
}

}  // namespace tarnwick::cli
