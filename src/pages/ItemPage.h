#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "pages/PageShape.h"

namespace tarnwick {

// What an item page gives: the item's figures and the addresses of the answers that give the
// rest. A page that could not be fetched reads as the empty text: every figure 0 or empty.
struct ItemPage {
    PageShape shape = PageShape::Usual;
    std::string title;  // plain text, character references decoded
    double price = 0;
    std::int32_t stock = 0;
    // Empty when the page shows no sold count: the sold-count answer then gives it.
    std::optional<std::int32_t> soldCount;
    std::string soldCountAddress;  // empty: none on the page
    std::string viewsAddress;
    std::string dealRecordAddress;  // trimmed; empty: the item has no deal records to read
    std::string reviewAddress;      // trimmed
};

// Throws what HtmlToText throws for a title it cannot convert.
ItemPage ParseItemPage(std::string_view text);
PageShape ItemPageShape(std::string_view text);

// The sold-count answer, asked for only when the item page shows no sold count.
struct SoldCountAnswer {
    PageShape shape = PageShape::Usual;
    std::int32_t soldCount = 0;
};
SoldCountAnswer ParseSoldCountAnswer(std::string_view text);

// The view-count answer: a one-member object, the item id as key and the count as value.
struct ViewsAnswer {
    PageShape shape = PageShape::Usual;
    std::int32_t views = 0;
};
ViewsAnswer ParseViewsAnswer(std::string_view text);

}  // namespace tarnwick
