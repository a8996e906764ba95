#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// Pages arrive in GBK and are decoded once; everything inside the program is UTF-8. Bytes
// that are not valid in the source encoding become U+FFFD (decoding) or '?' (encoding), so a
// damaged page never loses the text around the damage.
std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

}  // namespace tarnwick
