#include "base/Utf8.h"

namespace tarnwick {
namespace {

// The code point of the well-formed sequence at `at`; `length` is 0 when none begins there.
char32_t Decode(std::string_view text, std::size_t at, std::size_t& length) {
    const auto lead = static_cast<unsigned char>(text[at]);
    length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        length = 1;
        return lead;
    }
    std::size_t expected = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        expected = 2;
        c = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        expected = 3;
        c = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        expected = 4;
        c = lead & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - at < expected) {
        return 0;
    }
    for (std::size_t k = 1; k < expected; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < least || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
        return 0;
    }
    length = expected;
    return c;
}

std::size_t SequenceLength(std::string_view text, std::size_t at) {
    std::size_t length = 0;
    Decode(text, at, length);
    return length;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t NextCodePoint(std::string_view text, std::size_t& at) {
    std::size_t length = 0;
    const char32_t c = Decode(text, at, length);
    if (length == 0) {
        ++at;
        return 0xFFFD;
    }
    at += length;
    return c;
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = SequenceLength(text, i);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = SequenceLength(text, i);
        if (length > 0) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            AppendUtf8(out, 0xFFFD);
            ++i;
        }
    }
    return out;
}

}  // namespace tarnwick
