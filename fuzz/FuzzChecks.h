#pragma once

#include <cstdlib>
#include <string>

namespace tarnwick::fuzz {

// A property every input must keep; libFuzzer reports the abort with the input that broke it.
inline void Require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

// Well-formed UTF-8: no stray continuation byte, no overlong two-byte lead, nothing past
// U+10FFFF, no sequence cut off at the end.
inline bool ValidUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if ((lead >= 0x80 && lead < 0xC2) || lead > 0xF4 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

}  // namespace tarnwick::fuzz
