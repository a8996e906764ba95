#include "pages/PageDate.h"

#include <cstdint>
#include <limits>
#include <string>

namespace tarnwick {
namespace {

// "The whole number in a text", as the readers read every other number of a page: a decimal
// integer after optional leading blanks (any byte below 33) and an optional sign, nothing after
// it; anything else gives the fallback.
int WholeNumberOr(std::string_view text, int fallback) {
    std::size_t pos = 0;
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) < 33) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos == text.size()) {
        return fallback;
    }
    std::int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c < '0' || c > '9') {
            return fallback;
        }
        value = value * 10 + (c - '0');
        if (value > std::int64_t{std::numeric_limits<int>::max()} + 1) {
            return fallback;
        }
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<int>::max()) {
        return fallback;
    }
    return static_cast<int>(value);
}

// The characters from a 1-based position on, as many as there are: a field that runs past the
// end of a short text is read from what is left of it, and one that starts past the end is
// empty.
std::string_view Copy(std::string_view text, std::size_t position, std::size_t count) {
    if (position - 1 >= text.size()) {
        return {};
    }
    return text.substr(position - 1, count);
}

}  // namespace

DateTime ReadPageDateTime(std::string_view text) {
    DateTime::Parts parts;
    parts.year = WholeNumberOr(Copy(text, 1, 4), 1900);
    parts.month = WholeNumberOr(Copy(text, 6, 2), 1);
    parts.day = WholeNumberOr(Copy(text, 9, 2), 1);
    parts.hour = WholeNumberOr(Copy(text, 12, 2), 0);
    parts.minute = WholeNumberOr(Copy(text, 15, 2), 0);
    parts.second = WholeNumberOr(Copy(text, 18, 2), 0);
    parts.millisecond = 0;
    try {
        return DateTime::FromParts(parts);
    } catch (const InvalidDateTime&) {
        throw InvalidDateTime("not a valid date and time: '" + std::string(text) + "'");
    }
}

}  // namespace tarnwick
