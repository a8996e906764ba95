#include "ViewTable.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <type_traits>

#include "TextTable.h"
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

void AppendCodePoint(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
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

std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t c = 0;
        char32_t least = 0;
        if (lead < 0x80) {
            length = 1;
            c = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            c = lead & 0x1F;
            least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            c = lead & 0x0F;
            least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07;
            least = 0x10000;
        }
        bool good = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; good && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            good = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8 either.
        if (good && (c < least || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)) {
            good = false;
        }
        if (good) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            AppendCodePoint(out, 0xFFFD);
            ++i;
        }
    }
    return out;
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
