#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tarnwick {

// One message to the seller: a subject line and a few lines of text, plus the same content in
// fields for channels that carry data (the plain JSON webhook).
struct Notification {
    struct Entry {
        std::string kind;  // "price_down" ...
        std::string shop;  // the watched nick
        std::string itemId;
        std::string before;
        std::string after;
        std::string text;
    };

    std::string title;
    std::vector<std::string> lines;  // what people read, one alert a line
    std::vector<Entry> entries;      // the alerts the lines show, in their order
    std::size_t omitted = 0;         // alerts summed up in the last line instead of shown

    // The title, a blank line and the lines, LF-separated.
    std::string Text() const;
};

}  // namespace tarnwick
