// GBK conversion both ways on arbitrary bytes: decoding always gives valid UTF-8, encoding
// never more than two bytes a character, and decoding what was encoded from decoded text gives
// it back wherever nothing was replaced.
#include <cstdlib>
#include <string>

#include "fetch/Gbk.h"

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
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    const std::string decoded = tarnwick::GbkToUtf8(bytes);
    Require(ValidUtf8(decoded));
    if (decoded.find("\xEF\xBF\xBD") == std::string::npos) {
        // Nothing was damaged: the round trip is exact.
        Require(tarnwick::GbkToUtf8(tarnwick::Utf8ToGbk(decoded)) == decoded);
    }

    const std::string encoded = tarnwick::Utf8ToGbk(bytes);
    Require(encoded.size() <= 2 * bytes.size());
    Require(ValidUtf8(tarnwick::GbkToUtf8(encoded)));
    return 0;
}
