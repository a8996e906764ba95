// HtmlToText on arbitrary bytes: never crashes, and what it returns is trimmed UTF-8.
#include <cstdlib>
#include <string>

#include "FuzzChecks.h"
#include "base/Utf8.h"
#include "fetch/HtmlToText.h"

using tarnwick::fuzz::Require;

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
    if (tarnwick::IsValidUtf8(fragment)) {
        Require(tarnwick::IsValidUtf8(text));
    }
    return 0;
}
