#include "export/XlsxWorkbook.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <xlsxwriter.h>

#include "export/AtomicFile.h"
#include "export/XlsxExport.h"

namespace tarnwick {

XlsxWorkbook::XlsxWorkbook(std::string path)
    : m_path(std::move(path)), m_file(std::make_unique<AtomicFile>(m_path)) {
    m_book = workbook_new(m_file->WritablePath().c_str());
    if (m_book == nullptr) {
        throw ExportError("无法创建工作簿 \"" + m_path +
                          "\": " + lxw_strerror(LXW_ERROR_MEMORY_MALLOC_FAILED));
    }
}

XlsxWorkbook::~XlsxWorkbook() {
    if (m_book != nullptr) {
        lxw_workbook_free(m_book);
    }
}

XlsxWorkbook::XlsxWorkbook(XlsxWorkbook&& other) noexcept
    : m_book(std::exchange(other.m_book, nullptr)),
      m_path(std::move(other.m_path)),
      m_file(std::move(other.m_file)),
      m_cutCells(other.m_cutCells) {
}

XlsxWorkbook& XlsxWorkbook::operator=(XlsxWorkbook&& other) noexcept {
    if (this != &other) {
        if (m_book != nullptr) {
            lxw_workbook_free(m_book);
        }
        m_book = std::exchange(other.m_book, nullptr);
        m_path = std::move(other.m_path);
        m_file = std::move(other.m_file);
        m_cutCells = other.m_cutCells;
    }
    return *this;
}

lxw_worksheet* XlsxWorkbook::AddWorksheet(const std::string& name) {
    // The library checks the name (length, characters, duplicates) and answers null; it has no
    // error code to hand back here.
    lxw_worksheet* sheet = workbook_add_worksheet(m_book, name.c_str());
    if (sheet == nullptr) {
        Fail("无法添加工作表 \"" + name + "\"", LXW_ERROR_PARAMETER_VALIDATION);
    }
    return sheet;
}

lxw_format* XlsxWorkbook::AddNumberFormat(const std::string& numberFormat) {
    lxw_format* format = AddFormat();
    format_set_num_format(format, numberFormat.c_str());
    return format;
}

lxw_format* XlsxWorkbook::AddFormat() {
    lxw_format* format = workbook_add_format(m_book);
    if (format == nullptr) {
        Fail("无法添加单元格格式", LXW_ERROR_MEMORY_MALLOC_FAILED);
    }
    return format;
}

int XlsxWorkbook::WriteText(lxw_worksheet* sheet, std::uint32_t row, std::uint16_t col,
                            std::string_view text, lxw_format* format) {
    const SheetString cell = SheetText(text);
    if (cell.text.empty()) {
        return LXW_NO_ERROR;
    }
    m_cutCells += cell.cut ? 1 : 0;
    return worksheet_write_string(sheet, row, col, cell.text.c_str(), format);
}

void XlsxWorkbook::Close() {
    if (m_book == nullptr) {
        throw ExportError("工作簿 \"" + m_path + "\" 已经关闭");
    }
    errno = 0;
    // workbook_close frees the workbook whatever it returns.
    lxw_error error = workbook_close(std::exchange(m_book, nullptr));
    const int systemError = errno;
    if (error == LXW_NO_ERROR) {
        m_file->Commit();
        return;
    }
    std::string message = "无法写入文件 \"" + m_path + "\": " + lxw_strerror(error);
    // The library's own text says only which step failed; the system's says why (no such
    // folder, no permission, disk full).
    if ((error == LXW_ERROR_CREATING_XLSX_FILE || error == LXW_ERROR_CREATING_TMPFILE ||
         error == LXW_ERROR_ZIP_FILE_OPERATION) &&
        systemError != 0) {
        message += std::string(" (") + std::strerror(systemError) + ")";
    }
    throw ExportError(message);
}

void XlsxWorkbook::Fail(const std::string& what, int error) const {
    throw ExportError(what + " (\"" + m_path +
                      "\"): " + lxw_strerror(static_cast<lxw_error>(error)));
}

}  // namespace tarnwick
