#include "export/CsvWriter.h"

namespace tarnwick {

std::string CsvQuoted(std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(field);
    }
    std::string quoted = "\"";
    for (char c : field) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

// OWASP's list: the four formula starts, and tab and CR, which some programs skip before
// looking for one.
std::string CsvSafeText(std::string_view text) {
    if (!text.empty() &&
        std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) {
        return "'" + std::string(text);
    }
    return std::string(text);
}

void CsvWriter::ByteOrderMark() {
    m_out << "\xEF\xBB\xBF";
}

void CsvWriter::Text(std::string_view text) {
    Field(CsvQuoted(CsvSafeText(text)));
}

void CsvWriter::Number(std::string_view formatted) {
    Field(CsvQuoted(formatted));
}

void CsvWriter::Empty() {
    Field({});
}

void CsvWriter::EndRecord() {
    m_out << "\r\n";
    m_recordStarted = false;
}

void CsvWriter::TextRecord(const std::vector<std::string>& texts) {
    for (const std::string& text : texts) {
        Text(text);
    }
    EndRecord();
}

void CsvWriter::Field(std::string_view field) {
    if (m_recordStarted) {
        m_out << ',';
    }
    m_out << field;
    m_recordStarted = true;
}

}  // namespace tarnwick
