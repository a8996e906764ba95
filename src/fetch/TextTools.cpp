#include "fetch/TextTools.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

namespace tarnwick {
namespace {

bool IsBlank(unsigned char c) {
    return c < 33;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Only a to z fold; bytes of multi-byte characters are all above 0x7F and stay as they are.
unsigned char Fold(unsigned char c) {
    return c >= 0x61 && c <= 0x7A ? static_cast<unsigned char>(c - 32) : c;
}

std::string FoldedCopy(std::string_view marker) {
    std::string folded(marker);
    for (char& c : folded) {
        c = static_cast<char>(Fold(static_cast<unsigned char>(c)));
    }
    return folded;
}

bool MatchesFoldedAt(std::string_view text, std::size_t at, std::string_view folded) {
    for (std::size_t i = 0; i < folded.size(); ++i) {
        if (Fold(static_cast<unsigned char>(text[at + i])) !=
            static_cast<unsigned char>(folded[i])) {
            return false;
        }
    }
    return true;
}

// Bytes of page text from the most to the least frequent (letters counted in both cases),
// measured on HTML documents. Bytes of Chinese text are all above 0x7F and as frequent as the
// most frequent of these; bytes that are not listed are rarer than all of them.
constexpr std::string_view kCommonFirst =
    "E SATLN><ORICDP/\"HUM=F\n-BG._YVJWXK#:,0();1'324Z&5869Q{}\t[]";

std::size_t Rarity(unsigned char folded) {
    if (folded >= 0x80) {
        return 1;
    }
    const std::size_t rank = kCommonFirst.find(static_cast<char>(folded));
    return rank == std::string_view::npos ? kCommonFirst.size() : rank;
}

std::size_t RarestIndex(std::string_view folded) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < folded.size(); ++i) {
        if (Rarity(static_cast<unsigned char>(folded[i])) >
            Rarity(static_cast<unsigned char>(folded[best]))) {
            best = i;
        }
    }
    return best;
}

std::size_t NextByte(std::string_view text, std::size_t from, std::size_t end, char byte) {
    if (from >= end) {
        return std::string_view::npos;
    }
    const void* hit = std::memchr(text.data() + from, byte, end - from);
    return hit == nullptr ? std::string_view::npos
                          : static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
}

// Finds a folded marker in the unfolded text without folding the text as a whole: page texts
// run to hundreds of kilobytes and are searched many thousand times per run. memchr skips to
// the candidates for the marker's rarest byte (both cases of it when it is a letter), and only
// those are compared in full.
std::size_t FindFolded(std::string_view text, std::size_t from, std::string_view folded) {
    const std::size_t m = folded.size();
    if (m == 0 || from > text.size() || text.size() - from < m) {
        return std::string_view::npos;
    }
    const std::size_t anchor = RarestIndex(folded);
    const char upper = folded[anchor];
    const bool letter = upper >= 'A' && upper <= 'Z';
    const char lower = letter ? static_cast<char>(upper + 32) : upper;

    // The anchor byte of a match starting at `at` stands at at + anchor, for at in
    // [from, text.size() - m].
    const std::size_t end = text.size() - m + anchor + 1;
    std::size_t nextUpper = NextByte(text, from + anchor, end, upper);
    std::size_t nextLower =
        letter ? NextByte(text, from + anchor, end, lower) : std::string_view::npos;
    while (nextUpper != std::string_view::npos || nextLower != std::string_view::npos) {
        const std::size_t hit = std::min(nextUpper, nextLower);
        if (MatchesFoldedAt(text, hit - anchor, folded)) {
            return hit - anchor;
        }
        if (hit == nextUpper) {
            nextUpper = NextByte(text, hit + 1, end, upper);
        } else {
            nextLower = NextByte(text, hit + 1, end, lower);
        }
    }
    return std::string_view::npos;
}

// Skips the leading blanks and one optional sign; returns where the digits must begin.
std::size_t SkipBlanksAndSign(std::string_view text, bool& negative) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    return i;
}

std::size_t SkipDigits(std::string_view text, std::size_t i) {
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
    }
    return i;
}

}  // namespace

std::string TextBetween(std::string_view text, std::string_view startMarker,
                        std::string_view endMarker) {
    if (startMarker.empty() || endMarker.empty()) {
        return {};
    }
    const std::size_t start = FindFolded(text, 0, FoldedCopy(startMarker));
    if (start == std::string_view::npos) {
        return {};
    }
    const std::size_t valueStart = start + startMarker.size();
    const std::size_t end = FindFolded(text, valueStart, FoldedCopy(endMarker));
    if (end == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(valueStart, end - valueStart));
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    if (from.empty()) {
        return std::string(text);
    }
    std::string result;
    result.reserve(text.size());
    std::size_t done = 0;
    for (std::size_t at = text.find(from); at != std::string_view::npos;
         at = text.find(from, done)) {
        result.append(text.substr(done, at - done));
        result.append(to);
        done = at + from.size();
    }
    result.append(text.substr(done));
    return result;
}

std::int32_t WholeNumber(std::string_view text) {
    bool negative = false;
    const std::size_t digits = SkipBlanksAndSign(text, negative);
    if (digits == text.size() || SkipDigits(text, digits) != text.size()) {
        return 0;
    }
    // Read the magnitude wider than int32 so that -2147483648 is accepted and one more is not.
    std::int64_t magnitude = 0;
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (std::size_t i = digits; i < text.size(); ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit) {
            return 0;
        }
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return 0;
    }
    return static_cast<std::int32_t>(value);
}

double Number(std::string_view text) {
    bool negative = false;
    const std::size_t begin = SkipBlanksAndSign(text, negative);

    // The syntax is checked here so that from_chars never sees what it would also take but a
    // page value must not be: "inf", "nan", hexadecimal digits.
    std::size_t i = SkipDigits(text, begin);
    std::size_t mantissaDigits = i - begin;
    if (i < text.size() && text[i] == '.') {
        const std::size_t fraction = i + 1;
        i = SkipDigits(text, fraction);
        mantissaDigits += i - fraction;
    }
    if (mantissaDigits == 0) {
        return 0;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t exponent = i + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            ++exponent;
        }
        i = SkipDigits(text, exponent);
        if (i == exponent) {
            return 0;
        }
    }
    if (i != text.size()) {
        return 0;
    }

    double value = 0;
    const char* first = text.data() + begin;
    const char* last = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || ptr != last) {
        return 0;
    }
    return negative ? -value : value;
}

}  // namespace tarnwick
