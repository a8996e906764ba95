// GBK conversion both ways on arbitrary bytes: decoding always gives valid UTF-8, encoding
// never more than two bytes a character, and decoding what was encoded from decoded text gives
// it back wherever nothing was replaced.
#include <cstdlib>
#include <string>

#include "FuzzChecks.h"
#include "base/Utf8.h"
#include "fetch/Gbk.h"

using tarnwick::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    const std::string decoded = tarnwick::GbkToUtf8(bytes);
    Require(tarnwick::IsValidUtf8(decoded));
    if (decoded.find("\xEF\xBF\xBD") == std::string::npos) {
        // Nothing was damaged: the round trip is exact.
        Require(tarnwick::GbkToUtf8(tarnwick::Utf8ToGbk(decoded)) == decoded);
    }

    const std::string encoded = tarnwick::Utf8ToGbk(bytes);
    Require(encoded.size() <= 2 * bytes.size());
    Require(tarnwick::IsValidUtf8(tarnwick::GbkToUtf8(encoded)));
    return 0;
}
