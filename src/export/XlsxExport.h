#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "export/ItemSheet.h"

namespace tarnwick {

class ExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Excel's limit for the text of one cell, in UTF-16 units.
inline constexpr std::size_t kMaxCellText = 32767;

// A text as a workbook cell holds it and gives it back: bytes that are not UTF-8 become U+FFFD;
// a text that holds "_x000D_" itself gets "_x005F_" before it, or a spreadsheet program
// would read a carriage return there; NUL, U+FFFE and U+FFFF, which XML cannot carry, are
// written as the format's own escapes (the library escapes the other control characters). A
// text longer than the limit is cut to it, ending in "…". Every sheet of every workbook writes
// its texts through XlsxWorkbook::WriteText, which uses this.
struct SheetString {
    std::string text;
    bool cut = false;
};
SheetString SheetText(std::string_view text);

// What an export tells the user when it cut texts: "3 个单元格的文字超过 32767 个字符, 已截断."
std::string CutCellsMessage(std::size_t cutCells);

// Writes the item list as a workbook: row 1 empty, the captions in row 2 from column B on
// (column A stays empty), one row per list row from row 3, each cell typed (the check as a
// Boolean, numbers as numbers, the read time as a date-time cell that shows as a date).
// Returns the number of cells whose text was cut to the limit. Throws ExportError with the
// reason when the file cannot be written.
std::size_t ExportItemListToXlsx(const std::vector<std::string>& captions,
                                 const std::vector<std::vector<SheetCell>>& rows,
                                 const std::string& path);

// A further sheet after the item list: its captions in row 1 from column A, one row per entry
// below, typed as the item sheet's cells are. Tools that read a sheet as a table expect it to
// start at A1; the item sheet keeps its own layout.
struct ExtraSheet {
    std::string name;
    std::vector<std::string> captions;
    std::vector<std::vector<SheetCell>> rows;
};

// The item list as above, then each extra sheet in turn.
std::size_t ExportItemListToXlsx(const std::vector<std::string>& captions,
                                 const std::vector<std::vector<SheetCell>>& rows,
                                 const std::string& path,
                                 const std::vector<ExtraSheet>& extraSheets);

}  // namespace tarnwick
