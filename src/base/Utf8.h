#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// Appends the UTF-8 form of a code point (at most U+10FFFF; not a surrogate).
void AppendUtf8(std::string& out, char32_t codePoint);

// Reads the code point that starts at `at` and moves `at` past it. A byte that does not begin
// a well-formed sequence (a stray continuation, an over-long form, a surrogate, a value past
// U+10FFFF, a sequence cut off) reads as U+FFFD and moves one byte on.
char32_t NextCodePoint(std::string_view text, std::size_t& at);

// True when the text is well-formed UTF-8: no stray continuation byte, no over-long form, no
// surrogate, nothing past U+10FFFF, no sequence cut off at the end.
bool IsValidUtf8(std::string_view text);

// The text with every byte that does not begin a well-formed sequence replaced by U+FFFD and
// every well-formed sequence kept as it is.
std::string ValidUtf8(std::string_view text);

}  // namespace tarnwick
