#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// Removes leading and trailing bytes whose code is below 33 (blanks and control characters).
std::string Trim(std::string_view text);

// True when the two texts are equal once ASCII letters are compared without case. Bytes above
// 0x7F (the bytes of every multi-byte character) are compared as they are.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// True when `text` begins with `prefix`, ASCII letters compared without case.
bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);

// The text with A to Z turned into a to z and every other byte kept.
std::string AsciiLower(std::string_view text);

// The whole text as a decimal int (from_chars' reading, so a leading '-' is taken); nothing
// for an empty text, any other character or a number out of range.
std::optional<int> ParseInt(std::string_view text);

}  // namespace tarnwick
