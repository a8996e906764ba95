#pragma once

#include <string>
#include <vector>

#include "analysis/RunComparison.h"

namespace tarnwick {

// The comparison as a workbook of one sheet "对比": the captions in row 1, one row per item
// from row 2, figures as numbers. The colours of the desktop table travel as conditional
// formats, so they follow the values when the user edits or sorts the sheet: a negative price
// change green, a positive one red, a new item's row blue, a removed item's row grey.
// Returns the number of cells whose text was cut to the limit (see SheetText). Throws
// ExportError with the reason when the file cannot be written.
std::size_t ExportComparisonToXlsx(const std::vector<ItemComparison>& items,
                                   const std::string& path);

// The same rows as CSV text: UTF-8 with a byte-order mark (without it spreadsheet programs
// read the Chinese as the local code page), through CsvWriter: CR LF line ends, fields quoted
// where needed, texts that would be formulas kept text, figures as numbers.
std::string ComparisonCsv(const std::vector<ItemComparison>& items);
// Writes ComparisonCsv to the file, created or replaced atomically. Throws ExportError.
void WriteComparisonCsv(const std::vector<ItemComparison>& items, const std::string& path);

}  // namespace tarnwick
