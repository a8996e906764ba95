#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tarnwick::cli {

// A table for the terminal: columns padded to the widest cell, where a Chinese character takes
// two columns. Every caption and cell goes through TerminalText: a cell shows a competitor's
// control characters as escapes instead of passing them to the terminal, and a line end in it
// as " / ".
class TextTable {
public:
    explicit TextTable(std::vector<std::string> header);
    void AddRow(std::vector<std::string> cells);
    void Print(std::ostream& out) const;
    std::size_t RowCount() const { return m_rows.size(); }

    static std::size_t DisplayWidth(const std::string& utf8);

private:
    std::vector<std::string> m_header;
    std::vector<std::vector<std::string>> m_rows;
};

}  // namespace tarnwick::cli
