// HtmlToText on arbitrary bytes: never crashes, and what it returns is trimmed UTF-8.
#include <cstdlib>
#include <string>

#include "fetch/HtmlToText.h"

namespace {

void Require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

bool ValidUtf8(const std::string& text) {
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fragment(reinterpret_cast<const char*>(data), size);
    std::string text;
    try {
        text = tarnwick::HtmlToText(fragment);
    } catch (const tarnwick::HtmlError&) {
        return 0;
    }
    if (fragment.empty()) {
        Require(text.empty());
    }
    Require(text.empty() || (static_cast<unsigned char>(text.front()) >= 33 &&
                             static_cast<unsigned char>(text.back()) >= 33));
    if (ValidUtf8(fragment)) {
        Require(ValidUtf8(text));
    }
    return 0;
}
