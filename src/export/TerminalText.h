#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// Text from a page made safe to print on a terminal, where the competitor who wrote it must
// not be able to retitle, clear or rewrite the user's screen: C0 and C1 control characters,
// DEL and the bidirectional overrides and isolates (U+202A to U+202E, U+2066 to U+2069) show as
// a visible "\u001B"; bytes that are not UTF-8 as U+FFFD. A line end (CR LF, CR or LF) shows as
// " / ", so that a two-line variant stays in its table cell or log line.
std::string TerminalText(std::string_view text);

}  // namespace tarnwick
