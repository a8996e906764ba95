#include "export/XlsxExport.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <type_traits>

#include <locale.h>

#include <xlsxwriter.h>

#include "base/Utf8.h"
#include "export/TerminalText.h"
#include "export/XlsxWorkbook.h"

namespace tarnwick {
namespace {

// Our DateTime counts days from 30 December 1899 exactly as a spreadsheet serial does, so the
// value goes in unchanged and only the format makes it show as a date.
constexpr const char* kDateTimeFormat = "yyyy-mm-dd hh:mm:ss";

// The library prints every number with printf, which follows the C locale: under a
// decimal-comma locale (a desktop started with LANG=de_DE.UTF-8) 59.9 would go into the sheet as
// "59,9", and spreadsheet programs refuse the file. The exporting thread reads numbers the "C"
// way until the export ends; uselocale changes that thread only, where setlocale would change
// every thread of the program under the others' feet.
class CNumbersOnThisThread {
public:
    CNumbersOnThisThread() {
        locale_t base = duplocale(uselocale(static_cast<locale_t>(0)));
        if (base == static_cast<locale_t>(0)) {
            throw ExportError("无法设定数字格式");
        }
        m_numbers = newlocale(LC_NUMERIC_MASK, "C", base);  // takes base on success
        if (m_numbers == static_cast<locale_t>(0)) {
            freelocale(base);
            throw ExportError("无法设定数字格式");
        }
        m_previous = uselocale(m_numbers);
    }
    ~CNumbersOnThisThread() {
        uselocale(m_previous);
        freelocale(m_numbers);
    }
    CNumbersOnThisThread(const CNumbersOnThisThread&) = delete;
    CNumbersOnThisThread& operator=(const CNumbersOnThisThread&) = delete;

private:
    locale_t m_numbers;
    locale_t m_previous;
};

struct Sheet {
    XlsxWorkbook& book;
    lxw_worksheet* worksheet;
    lxw_format* dateTime;
};

std::string CellName(lxw_row_t row, lxw_col_t col) {
    std::string letters;
    for (unsigned n = col + 1u; n > 0; n = (n - 1) / 26) {
        letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
    }
    return letters + std::to_string(row + 1);
}

void Check(const Sheet& sheet, lxw_error error, lxw_row_t row, lxw_col_t col) {
    if (error != LXW_NO_ERROR) {
        sheet.book.Fail("无法写入单元格 " + CellName(row, col), error);
    }
}

void WriteNumber(const Sheet& sheet, lxw_row_t row, lxw_col_t col, double value,
                 lxw_format* format) {
    // The file format has no infinity or NaN: written as they are, they make a workbook that
    // spreadsheet programs refuse to open, so such a cell is left empty.
    if (!std::isfinite(value)) {
        return;
    }
    Check(sheet, worksheet_write_number(sheet.worksheet, row, col, value, format), row, col);
}

void WriteCell(const Sheet& sheet, lxw_row_t row, lxw_col_t col, const SheetCell& cell) {
    std::visit(
        [&](const auto& value) {
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, bool>) {
                Check(sheet,
                      worksheet_write_boolean(sheet.worksheet, row, col, value ? 1 : 0, nullptr),
                      row, col);
            } else if constexpr (std::is_same_v<T, double>) {
                WriteNumber(sheet, row, col, value, nullptr);
            } else if constexpr (std::is_same_v<T, std::string>) {
                Check(sheet,
                      static_cast<lxw_error>(
                          sheet.book.WriteText(sheet.worksheet, row, col, value, nullptr)),
                      row, col);
            } else if constexpr (std::is_same_v<T, DateTime>) {
                WriteNumber(sheet, row, col, value.Days(), sheet.dateTime);
            }
        },
        cell);
}

}  // namespace

namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Whether the text at `at` starts with something written as "_" in the file: the underscore
// itself, or a character that goes in as an escape of the format (the library's for the
// control characters but tab and LF, ours for NUL, U+FFFE and U+FFFF), which begins with one.
bool WrittenWithUnderscore(std::string_view text, std::size_t at) {
    const auto c = static_cast<unsigned char>(text[at]);
    return c == '_' || (c < 0x20 && c != '\t' && c != '\n') ||
           text.substr(at, 3) == "\xEF\xBF\xBE" || text.substr(at, 3) == "\xEF\xBF\xBF";
}

// "_x" four hex digits, then what the file will hold as "_": readers of the format would take
// it for an escaped character ("_x000D_" for a carriage return, or "_x0041" before a control
// character whose escape supplies the closing "_").
bool EscapeLookalikeAt(std::string_view text, std::size_t at) {
    return text.size() - at >= 7 && text[at] == '_' &&
           (text[at + 1] == 'x' || text[at + 1] == 'X') && IsHexDigit(text[at + 2]) &&
           IsHexDigit(text[at + 3]) && IsHexDigit(text[at + 4]) && IsHexDigit(text[at + 5]) &&
           WrittenWithUnderscore(text, at + 6);
}

}  // namespace

SheetString SheetText(std::string_view text) {
    // The library measures the text we hand it, escapes included, so the limit counts them;
    // UTF-16 units, as the spreadsheet programs count, are never fewer than code points.
    constexpr std::size_t kKept = kMaxCellText - 1;  // room for the "…"
    SheetString result;
    std::string& out = result.text;
    out.reserve(text.size());
    std::size_t units = 0;
    std::size_t fitting = 0;  // bytes of out within kKept units
    for (std::size_t i = 0; i < text.size();) {
        if (EscapeLookalikeAt(text, i)) {
            // The underscore written as its own escape: "_x005F_x000D_" reads "_x000D_".
            out += "_x005F_";
            units += 7;
            ++i;
        } else if (const char32_t c = NextCodePoint(text, i);
                   c == 0 || c == 0xFFFE || c == 0xFFFF) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "_x%04X_", static_cast<unsigned>(c));
            out += escape;
            units += 7;
        } else {
            AppendUtf8(out, c);
            units += c >= 0x10000 ? 2 : 1;
        }
        if (units <= kKept) {
            fitting = out.size();
        }
    }
    if (units > kMaxCellText) {
        out.resize(fitting);
        out += "…";
        result.cut = true;
    }
    return result;
}

std::string CutCellsMessage(std::size_t cutCells) {
    return std::to_string(cutCells) + " 个单元格的文字超过 " + std::to_string(kMaxCellText) +
           " 个字符, 已截断.";
}

std::size_t ExportItemListToXlsx(const std::vector<std::string>& captions,
                                 const std::vector<std::vector<SheetCell>>& rows,
                                 const std::string& path) {
    return ExportItemListToXlsx(captions, rows, path, {});
}

std::size_t ExportItemListToXlsx(const std::vector<std::string>& captions,
                                 const std::vector<std::vector<SheetCell>>& rows,
                                 const std::string& path,
                                 const std::vector<ExtraSheet>& extraSheets) {
    const CNumbersOnThisThread numbers;
    XlsxWorkbook book(path);
    lxw_worksheet* worksheet = book.AddWorksheet("sheet1");
    const Sheet sheet{book, worksheet, book.AddNumberFormat(kDateTimeFormat)};

    // Row 1 and column A stay empty: the list starts at B2.
    constexpr lxw_row_t kCaptionRow = 1;
    constexpr lxw_col_t kFirstColumn = 1;
    for (std::size_t i = 0; i < captions.size(); ++i) {
        WriteCell(sheet, kCaptionRow, static_cast<lxw_col_t>(kFirstColumn + i), captions[i]);
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t i = 0; i < rows[r].size(); ++i) {
            WriteCell(sheet, static_cast<lxw_row_t>(kCaptionRow + 1 + r),
                      static_cast<lxw_col_t>(kFirstColumn + i), rows[r][i]);
        }
    }
    for (const ExtraSheet& extra : extraSheets) {
        const Sheet other{book, book.AddWorksheet(extra.name), sheet.dateTime};
        for (std::size_t i = 0; i < extra.captions.size(); ++i) {
            WriteCell(other, 0, static_cast<lxw_col_t>(i), extra.captions[i]);
        }
        for (std::size_t r = 0; r < extra.rows.size(); ++r) {
            for (std::size_t i = 0; i < extra.rows[r].size(); ++i) {
                WriteCell(other, static_cast<lxw_row_t>(r + 1), static_cast<lxw_col_t>(i),
                          extra.rows[r][i]);
            }
        }
    }
    const std::size_t cut = book.CutCells();
    book.Close();
    return cut;
}

}  // namespace tarnwick
