#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace tarnwick {

class AtomicFile;

// A libxlsxwriter workbook that is only written to its file by Close, through an AtomicFile:
// the library writes the temporary file, which takes the target's name once complete. Dropped
// without Close (an export that failed half-way), it is freed and the target stays as it was.
class XlsxWorkbook {
public:
    // Throws ExportError when the workbook or its temporary file cannot be created.
    explicit XlsxWorkbook(std::string path);
    ~XlsxWorkbook();
    XlsxWorkbook(XlsxWorkbook&& other) noexcept;
    XlsxWorkbook& operator=(XlsxWorkbook&& other) noexcept;
    XlsxWorkbook(const XlsxWorkbook&) = delete;
    XlsxWorkbook& operator=(const XlsxWorkbook&) = delete;

    const std::string& Path() const { return m_path; }

    // Both belong to the workbook and live as long as it does. Throw ExportError.
    lxw_worksheet* AddWorksheet(const std::string& name);
    lxw_format* AddNumberFormat(const std::string& numberFormat);
    lxw_format* AddFormat();

    // The one way a text goes into a cell of ours: through SheetText, so that it fits and
    // reads back as stored. An empty text leaves the cell blank. Returns the library's code
    // (an lxw_error), which the caller checks with the cell's name at hand.
    int WriteText(lxw_worksheet* sheet, std::uint32_t row, std::uint16_t col, std::string_view text,
                  lxw_format* format);
    // Cells whose text WriteText cut to the limit so far.
    std::size_t CutCells() const { return m_cutCells; }

    // Writes the file and frees the workbook, also when writing fails. Throws ExportError
    // naming the path and the reason.
    void Close();

    // An ExportError for a failed call on this workbook: what failed, the path, the library's
    // reason.
    [[noreturn]] void Fail(const std::string& what, int error) const;

private:
    lxw_workbook* m_book = nullptr;
    std::string m_path;
    std::unique_ptr<AtomicFile> m_file;
    std::size_t m_cutCells = 0;
};

}  // namespace tarnwick
