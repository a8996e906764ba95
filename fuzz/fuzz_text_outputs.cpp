// The writers that carry page text out of the program, on arbitrary bytes: the terminal
// sanitiser and the table built on it, the CSV writer and the workbook cell text. Each must
// keep its promise whatever a competitor put in a title.
#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzChecks.h"
#include "TextTable.h"
#include "base/Utf8.h"
#include "export/CsvWriter.h"
#include "export/NickExport.h"
#include "export/TerminalText.h"
#include "export/XlsxExport.h"

namespace {

using tarnwick::fuzz::Require;

// Nothing a terminal acts on: C0 but the table's own line ends, DEL, C1, the bidirectional
// controls.
bool TerminalSafe(const std::string& text, bool lineEndsAllowed) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        const auto third = i + 2 < text.size() ? static_cast<unsigned char>(text[i + 2]) : 0;
        if ((c < 0x20 && !(lineEndsAllowed && c == '\n')) || c == 0x7F ||
            (c == 0xC2 && next >= 0x80 && next <= 0x9F) ||
            (c == 0xE2 && next == 0x80 && third >= 0xAA && third <= 0xAE) ||
            (c == 0xE2 && next == 0x81 && third >= 0xA6 && third <= 0xA9)) {
            return false;
        }
    }
    return true;
}

// One field read back as RFC 4180 reads it.
std::string Unquoted(const std::string& field) {
    if (field.empty() || field.front() != '"') {
        Require(field.find_first_of(",\"\r\n") == std::string::npos);
        return field;
    }
    Require(field.size() >= 2 && field.back() == '"');
    std::string text;
    for (std::size_t i = 1; i + 1 < field.size(); ++i) {
        text += field[i];
        if (field[i] == '"') {
            Require(field[i + 1] == '"');
            ++i;
        }
    }
    return text;
}

int Hex(char c) {
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

// The cell text as the file holds it: the library writes the control characters but tab and
// LF as _xHHHH_ escapes.
std::string AsWritten(const std::string& cell) {
    std::string written;
    for (char c : cell) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && c != '\t' && c != '\n') {
            const char* hex = "0123456789ABCDEF";
            written += std::string("_x00") + hex[byte >> 4] + hex[byte & 0xF] + "_";
        } else {
            written += c;
        }
    }
    return written;
}

// The file's text as a spreadsheet program reads it: each _xHHHH_ one character.
std::u32string ReadCell(const std::string& cell) {
    const std::string written = AsWritten(cell);
    std::u32string read;
    for (std::size_t i = 0; i < written.size();) {
        if (written.size() - i >= 7 && written.compare(i, 2, "_x") == 0 && written[i + 6] == '_' &&
            std::isxdigit(static_cast<unsigned char>(written[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(written[i + 3])) &&
            std::isxdigit(static_cast<unsigned char>(written[i + 4])) &&
            std::isxdigit(static_cast<unsigned char>(written[i + 5]))) {
            read += static_cast<char32_t>(Hex(written[i + 2]) << 12 | Hex(written[i + 3]) << 8 |
                                          Hex(written[i + 4]) << 4 | Hex(written[i + 5]));
            i += 7;
        } else {
            read += tarnwick::NextCodePoint(written, i);
        }
    }
    return read;
}

std::u32string CodePoints(const std::string& text) {
    std::u32string points;
    for (std::size_t i = 0; i < text.size();) {
        points += tarnwick::NextCodePoint(text, i);
    }
    return points;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::vector<std::string> cells;
    while (cells.size() < 4 && input.remaining_bytes() > 0) {
        cells.push_back(input.ConsumeRandomLengthString(256));
    }
    const std::string text = input.ConsumeRemainingBytesAsString();
    cells.push_back(text);

    const std::string shown = tarnwick::TerminalText(text);
    Require(TerminalSafe(shown, false) && tarnwick::IsValidUtf8(shown));

    tarnwick::cli::TextTable table({"a", "b"});
    table.AddRow(cells);
    std::ostringstream printed;
    table.Print(printed);
    Require(TerminalSafe(printed.str(), true));
    std::size_t lines = 0;
    for (char c : printed.str()) {
        lines += c == '\n' ? 1 : 0;
    }
    Require(lines == 2);

    for (const std::string& cell : cells) {
        std::ostringstream out;
        tarnwick::CsvWriter csv(out);
        csv.Text(cell);
        const std::string read = Unquoted(out.str());
        const bool formula =
            !cell.empty() && std::string("=+-@\t\r").find(cell[0]) != std::string::npos;
        Require(read == (formula ? "'" + cell : cell));
    }

    const tarnwick::SheetString sheet = tarnwick::SheetText(text);
    Require(tarnwick::IsValidUtf8(sheet.text));
    Require(sheet.text.find('\0') == std::string::npos);
    std::size_t units = 0;
    for (char32_t c : CodePoints(sheet.text)) {
        units += c >= 0x10000 ? 2 : 1;
    }
    Require(units <= tarnwick::kMaxCellText);
    const std::u32string expected = CodePoints(text);
    const std::u32string read = ReadCell(sheet.text);
    if (sheet.cut) {
        Require(read.size() < expected.size() && read.back() == U'…' &&
                expected.compare(0, read.size() - 1, read, 0, read.size() - 1) == 0);
    } else {
        Require(read == expected);
    }

    const std::string nick = tarnwick::NickLine(text);
    Require(nick.find_first_of("\r\n") == std::string::npos);
    return 0;
}
