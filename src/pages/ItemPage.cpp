#include "pages/ItemPage.h"

#include "base/Text.h"
#include "fetch/HtmlToText.h"
#include "fetch/TextTools.h"

namespace tarnwick {
namespace {

// The title: the hidden input first, the detail heading's <h3> when the page has no input.
constexpr std::string_view kTitleInput = "<input type=\"hidden\" name=\"title\" value=\"";
constexpr std::string_view kDetailHeading = "<div class=\"tb-detail-hd\">";

std::string Title(std::string_view page) {
    std::string title = TextBetween(page, kTitleInput, "\"");
    if (title.empty()) {
        std::string heading = TextBetween(page, kDetailHeading, "</div>");
        title = TextBetween(heading, "<h3>", "</h3>");
    }
    return HtmlToText(title);
}

std::int32_t Stock(std::string_view page) {
    std::string stock =
        TextBetween(page, "<input type=\"hidden\" name=\"allow_quantity\" value=\"", "\"");
    if (stock.empty()) {
        stock = TextBetween(page, "<span id=\"J_SpanStock\" class=\"tb-count\">", "<");
    }
    return WholeNumber(stock);
}

std::optional<std::int32_t> SoldCount(std::string_view page) {
    std::string soldArea = TextBetween(page, "<li class=\"tb-sold-out\">", "</em>") + "</em>";
    if (Trim(soldArea) == "</em>") {
        // The element may carry further classes or attributes.
        soldArea = TextBetween(page, "<li class=\"tb-sold-out", "</em>") + "</em>";
    }
    std::string sold = TextBetween(soldArea, "<em>", "</em>");
    if (sold.empty()) {
        return std::nullopt;
    }
    return WholeNumber(sold);
}

}  // namespace

PageShape ItemPageShape(std::string_view text) {
    PageShape title = TitleShape(text);
    if (title != PageShape::Usual) {
        return title;
    }
    return HasMarker(text, kTitleInput) || HasMarker(text, kDetailHeading) ? PageShape::Usual
                                                                           : PageShape::Shapeless;
}

ItemPage ParseItemPage(std::string_view text) {
    ItemPage page;
    page.shape = ItemPageShape(text);
    page.title = Title(text);
    // The marketplace writes a blank between "value=" and the quotation mark here.
    page.price =
        Number(TextBetween(text, "<input type=\"hidden\" name=\"current_price\" value= \"", "\""));
    page.stock = Stock(text);
    page.soldCount = SoldCount(text);
    page.soldCountAddress = TextBetween(text, "getDealQuantity: \"", "\"");
    page.viewsAddress = TextBetween(text, "\"apiItemViews\": \"", "\"");
    std::string dealArea =
        TextBetween(text, "class=\"J_TAjaxTrigger hidden J_TAjaxTriggerButton\"", "</div>");
    page.dealRecordAddress = Trim(TextBetween(dealArea, "params=\"", "\""));
    page.reviewAddress = Trim(TextBetween(text, "data-reviewApi=\"", "\""));
    return page;
}

SoldCountAnswer ParseSoldCountAnswer(std::string_view text) {
    // The answer spells the member so.
    return {TitleShape(text), WholeNumber(Trim(TextBetween(text, "quanity:", ",")))};
}

ViewsAnswer ParseViewsAnswer(std::string_view text) {
    return {TitleShape(text), WholeNumber(TextBetween(text, "\":", "}"))};
}

}  // namespace tarnwick
