#pragma once

#include <string>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace tarnwick {

// A libxlsxwriter workbook that is only written to its file by Close. Dropped without Close (an
// export that failed half-way), it is freed and no file appears.
class XlsxWorkbook {
public:
    // Throws ExportError when the workbook cannot be created.
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

    // Writes the file and frees the workbook, also when writing fails. Throws ExportError
    // naming the path and the reason.
    void Close();

    // An ExportError for a failed call on this workbook: what failed, the path, the library's
    // reason.
    [[noreturn]] void Fail(const std::string& what, int error) const;

private:
    lxw_workbook* m_book = nullptr;
    std::string m_path;
};

}  // namespace tarnwick
