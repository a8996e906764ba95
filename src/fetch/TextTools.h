#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarnwick {

// The text between the first start marker and the first end marker after it, both excluded.
// Markers are found with ASCII letters compared without case; the result keeps the text's own
// case. Empty when either marker is empty or missing.
std::string TextBetween(std::string_view text, std::string_view startMarker,
                        std::string_view endMarker);

// Every occurrence of `from` replaced by `to`, letter case compared exactly.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// "The whole number in a text": a decimal 32-bit integer (leading blanks and a sign allowed),
// 0 for anything else, overflow included.
std::int32_t WholeNumber(std::string_view text);

// "The number in a text": a decimal number with "." as the point, 0 for anything else.
double Number(std::string_view text);

}  // namespace tarnwick
