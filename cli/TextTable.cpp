#include "TextTable.h"

#include <algorithm>

#include "export/TerminalText.h"

namespace tarnwick::cli {
namespace {

// East Asian wide ranges, enough for the texts a shop shows (CJK, full-width forms, Hangul).
bool IsWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

}  // namespace

TextTable::TextTable(std::vector<std::string> header) {
    for (const std::string& caption : header) {
        m_header.push_back(TerminalText(caption));
    }
}

void TextTable::AddRow(std::vector<std::string> cells) {
    cells.resize(m_header.size());
    // Cleaned as they come in, so the widths below measure what will be printed.
    for (std::string& cell : cells) {
        cell = TerminalText(cell);
    }
    m_rows.push_back(std::move(cells));
}

std::size_t TextTable::DisplayWidth(const std::string& utf8) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = lead < 0x80    ? 1
                             : lead >= 0xF0 ? 4
                             : lead >= 0xE0 ? 3
                             : lead >= 0xC0 ? 2
                                            : 1;
        char32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) {
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        width += IsWide(c) ? 2 : 1;
        i += length;
    }
    return width;
}

void TextTable::Print(std::ostream& out) const {
    std::vector<std::size_t> widths(m_header.size());
    for (std::size_t c = 0; c < m_header.size(); ++c) {
        widths[c] = DisplayWidth(m_header[c]);
        for (const auto& row : m_rows) {
            widths[c] = std::max(widths[c], DisplayWidth(row[c]));
        }
    }
    auto printRow = [&](const std::vector<std::string>& cells) {
        std::string line;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            line += cells[c];
            if (c + 1 < cells.size()) {
                line.append(widths[c] - DisplayWidth(cells[c]) + 2, ' ');
            }
        }
        out << line << '\n';
    };
    printRow(m_header);
    for (const auto& row : m_rows) {
        printRow(row);
    }
}

}  // namespace tarnwick::cli
