#include "export/TerminalText.h"

#include <cstdio>

#include "base/Utf8.h"

namespace tarnwick {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// What a terminal acts on rather than shows: the C0 and C1 controls, DEL (some terminals
// erase with it), and the bidirectional embeddings, overrides and isolates that reorder what
// follows them on the line.
bool ActsOnTerminal(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

char32_t NextCodePoint(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        least = 0x10000;
    }
    bool good = length > 0 && at + length <= text.size();
    for (std::size_t k = 1; good && k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        good = (next & 0xC0) == 0x80;
        c = (c << 6) | (next & 0x3F);
    }
    if (!good || c < least || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
        ++at;
        return kReplacement;
    }
    at += length;
    return c;
}

std::string TerminalText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = NextCodePoint(text, i);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i < text.size() && text[i] == '\n') {
                ++i;
            }
            out += " / ";
        } else if (ActsOnTerminal(c)) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
            out += escape;
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

}  // namespace tarnwick
