// The readers of numbers and page dates: WholeNumber agrees with a plain reading, Number is
// finite, and a page date either throws InvalidDateTime or is a real date that prints.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

#include "FuzzChecks.h"
#include "fetch/TextTools.h"
#include "pages/PageDate.h"

using tarnwick::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    const std::int32_t whole = tarnwick::WholeNumber(text);
    if (whole != 0) {
        // Only a whole decimal number in range, after leading blanks and control bytes as every
        // page value is trimmed, reads as anything but 0.
        std::size_t first = 0;
        while (first < text.size() && static_cast<unsigned char>(text[first]) < 33) {
            ++first;
        }
        const std::string rest = text.substr(first);
        char* end = nullptr;
        errno = 0;
        const long long reference = std::strtoll(rest.c_str(), &end, 10);
        Require(errno == 0 && reference == whole);
        Require(end == rest.c_str() + rest.size());
    }

    const double number = tarnwick::Number(text);
    Require(std::isfinite(number));

    try {
        const tarnwick::DateTime when = tarnwick::ReadPageDateTime(text);
        const tarnwick::DateTime::Parts parts = when.Split();
        Require(parts.year >= 1 && parts.year <= 9999);
        Require(when.ToText().size() == 23);
    } catch (const tarnwick::InvalidDateTime&) {
    }
    return 0;
}
