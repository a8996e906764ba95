#include "acquire/RunLog.h"

#include <cstdio>

#include "base/Text.h"

namespace tarnwick {

std::string RunLog::FormatLine(std::string_view text, DateTime now) {
    if (Trim(text).empty()) {
        return {};
    }
    DateTime::Parts p = now.Split();
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d ", p.hour, p.minute, p.second);
    return time + std::string(text);
}

std::string RunLog::Add(std::string_view text, DateTime now, bool* emptied) {
    bool full = m_lines.size() >= kMaxLines;
    if (full) {
        m_lines.clear();
    }
    if (emptied != nullptr) {
        *emptied = full;
    }
    m_lines.push_back(FormatLine(text, now));
    return m_lines.back();
}

void RunLog::AddRaw(std::string line) {
    if (m_lines.size() >= kMaxLines) {
        m_lines.clear();
    }
    m_lines.push_back(std::move(line));
}

}  // namespace tarnwick
