// TextBetween and its companions on arbitrary bytes: a result is always a piece of the text
// found after the start marker and followed by the end marker.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "base/Text.h"
#include "fetch/TextTools.h"

namespace {

char Fold(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

std::string Folded(std::string text) {
    for (char& c : text) {
        c = Fold(c);
    }
    return text;
}

void Require(bool holds) {
    if (!holds) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string start = input.ConsumeRandomLengthString(16);
    const std::string end = input.ConsumeRandomLengthString(16);
    const std::string text = input.ConsumeRemainingBytesAsString();

    const std::string between = tarnwick::TextBetween(text, start, end);
    const std::string foldedText = Folded(text);
    const std::size_t at = foldedText.find(Folded(start));
    if (start.empty() || end.empty() || at == std::string::npos) {
        Require(between.empty());
    } else {
        const std::size_t valueStart = at + start.size();
        const std::size_t endAt = foldedText.find(Folded(end), valueStart);
        if (endAt == std::string::npos) {
            Require(between.empty());
        } else {
            Require(between == text.substr(valueStart, endAt - valueStart));
        }
    }

    const std::string trimmed = tarnwick::Trim(text);
    Require(trimmed.empty() || (static_cast<unsigned char>(trimmed.front()) >= 33 &&
                                static_cast<unsigned char>(trimmed.back()) >= 33));
    Require(text.find(trimmed) != std::string::npos);

    const std::string replaced = tarnwick::ReplaceAll(text, start, end);
    if (start.empty() || start == end || text.find(start) == std::string::npos) {
        Require(replaced == text);
    } else {
        // Occurrences are replaced left to right without overlapping.
        std::size_t occurrences = 0;
        for (std::size_t at = text.find(start); at != std::string::npos;
             at = text.find(start, at + start.size())) {
            ++occurrences;
        }
        Require(replaced.size() ==
                text.size() + occurrences * end.size() - occurrences * start.size());
    }
    return 0;
}
