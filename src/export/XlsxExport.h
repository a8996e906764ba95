#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "export/ItemSheet.h"

namespace tarnwick {

class ExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The text as a cell can hold it: without the characters the file format cannot carry.
std::string SheetText(const std::string& text);

// Writes the item list as a workbook: row 1 empty, the captions in row 2 from column B on
// (column A stays empty), one row per list row from row 3, each cell typed (the check as a
// Boolean, numbers as numbers, the read time as a date-time cell that shows as a date).
// Throws ExportError with the reason when the file cannot be written.
void ExportItemListToXlsx(const std::vector<std::string>& captions,
                          const std::vector<std::vector<SheetCell>>& rows, const std::string& path);

// A further sheet after the item list: its captions in row 1 from column A, one row per entry
// below, typed as the item sheet's cells are. Tools that read a sheet as a table expect it to
// start at A1; the item sheet keeps its own layout.
struct ExtraSheet {
    std::string name;
    std::vector<std::string> captions;
    std::vector<std::vector<SheetCell>> rows;
};

// The item list as above, then each extra sheet in turn.
void ExportItemListToXlsx(const std::vector<std::string>& captions,
                          const std::vector<std::vector<SheetCell>>& rows, const std::string& path,
                          const std::vector<ExtraSheet>& extraSheets);

}  // namespace tarnwick
