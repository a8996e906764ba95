#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

// The one way we write CSV (RFC 4180): fields separated by commas, records ended by CR LF, a
// field quoted when it holds a comma, a quotation mark or a line end, quotation marks doubled.
//
// A text cell that begins with "=", "+", "-", "@", a tab or a CR would be taken for a formula
// by a spreadsheet program that opens the file, and a competitor's title such as
// =HYPERLINK("http://x/?q=1","click") would run there. Such a text gets a leading "'", which
// keeps it text. Numbers that we formatted ourselves ("-15.40") go in as they are, so they
// stay numbers.
class CsvWriter {
public:
    explicit CsvWriter(std::ostream& out) : m_out(out) {}

    // The UTF-8 byte-order mark, without which spreadsheet programs read the Chinese as the
    // local code page. Before the first record only.
    void ByteOrderMark();
    void Text(std::string_view text);
    void Number(std::string_view formatted);
    void Empty();
    void EndRecord();
    // A record of text cells: a caption row.
    void TextRecord(const std::vector<std::string>& texts);

private:
    void Field(std::string_view field);

    std::ostream& m_out;
    bool m_recordStarted = false;
};

// The field as RFC 4180 writes it: quoted only where it must be.
std::string CsvQuoted(std::string_view field);
// The text as a spreadsheet program will show it, never run it: see CsvWriter.
std::string CsvSafeText(std::string_view text);

}  // namespace tarnwick
