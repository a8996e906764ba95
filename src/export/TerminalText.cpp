#include "export/TerminalText.h"

#include <cstdio>

#include "base/Utf8.h"

namespace tarnwick {
namespace {

// What a terminal acts on rather than shows: the C0 and C1 controls, DEL (some terminals
// erase with it), and the bidirectional embeddings, overrides and isolates that reorder what
// follows them on the line.
bool ActsOnTerminal(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

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
