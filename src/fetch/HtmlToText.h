#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace tarnwick {

class HtmlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The plain text of an HTML fragment (UTF-8 in and out): markup removed, character references
// decoded, the result trimmed. Empty in, empty out. Throws HtmlError when the parser fails.
std::string HtmlToText(std::string_view fragment);

}  // namespace tarnwick
