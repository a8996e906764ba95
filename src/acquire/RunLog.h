#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/DateTime.h"

namespace tarnwick {

// The analysis log: "hh:mm:ss text" lines. It never holds more than kMaxLines lines: when that
// many are reached it is emptied before the next line, so appending stays cheap however long a
// run goes on.
class RunLog {
public:
    static constexpr std::size_t kMaxLines = 3000;

    // Adds the line for `text` as written at `now` and returns it; `emptied` tells whether the
    // log was emptied first. A text that is blank once trimmed gives an empty line.
    std::string Add(std::string_view text, DateTime now, bool* emptied = nullptr);
    // Adds a line as it stands, without a time.
    void AddRaw(std::string line);
    void Clear() { m_lines.clear(); }

    const std::vector<std::string>& Lines() const { return m_lines; }

    static std::string FormatLine(std::string_view text, DateTime now);

private:
    std::vector<std::string> m_lines;
};

}  // namespace tarnwick
