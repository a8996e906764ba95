#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// Reads the code point that starts at `at` and moves `at` past it. A byte that does not begin
// a well-formed sequence (a stray continuation, an over-long form, a surrogate, a value past
// U+10FFFF, a sequence cut off) reads as U+FFFD and moves one byte on.
char32_t NextCodePoint(std::string_view text, std::size_t& at);

// Text from a page made safe to print on a terminal, where the competitor who wrote it must
// not be able to retitle, clear or rewrite the user's screen: C0 and C1 control characters,
// DEL and the bidirectional overrides and isolates (U+202A to U+202E, U+2066 to U+2069) show as
// a visible "\u001B"; bytes that are not UTF-8 as U+FFFD. A line end (CR LF, CR or LF) shows as
// " / ", so that a two-line variant stays in its table cell or log line.
std::string TerminalText(std::string_view text);

}  // namespace tarnwick
