#pragma once

#include <string>
#include <string_view>
#include <vector>

// How the readers cut values out of a page, written again here from the markers alone so the
// tests do not lean on the code they are meant to check.
namespace marketsim::test {

// The text between the first `start` and the first `end` after it, ASCII letters compared
// without case; empty when either is missing.
std::string Between(std::string_view text, std::string_view start, std::string_view end);
std::size_t Count(std::string_view text, std::string_view what);
// Every match of a lazy "open ... close" record, across line breaks, in text order.
std::vector<std::string> Records(std::string_view text, std::string_view open,
                                 std::string_view close);
std::string Replace(std::string text, std::string_view from, std::string_view to);
// The character references an HTML-to-text conversion decodes in a title.
std::string DecodeReferences(std::string text);

// What the item reader cuts from an item page, rule by rule.
struct ItemFigures {
    std::string title, price, stock, sold, soldAddress, viewsAddress, dealAddress, reviewAddress;
};
ItemFigures ReadItemPage(const std::string& page);

}  // namespace marketsim::test
