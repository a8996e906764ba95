#include "PageText.h"

#include <utility>

namespace marketsim::test {

namespace {

// The readers compare ASCII letters without case, so a marker written in other letter case
// earlier in a page would be found first; the tests must look the same way.
std::string Folded(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return folded;
}

}  // namespace

std::string Between(std::string_view text, std::string_view start, std::string_view end) {
    const std::string folded = Folded(text);
    std::size_t from = folded.find(Folded(start));
    if (start.empty() || end.empty() || from == std::string::npos) {
        return {};
    }
    from += start.size();
    std::size_t to = folded.find(Folded(end), from);
    return to == std::string::npos ? std::string() : std::string(text.substr(from, to - from));
}

std::size_t Count(std::string_view text, std::string_view what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos;
         at = text.find(what, at + what.size())) {
        ++count;
    }
    return count;
}

std::vector<std::string> Records(std::string_view text, std::string_view open,
                                 std::string_view close) {
    std::vector<std::string> records;
    std::size_t at = 0;
    for (;;) {
        std::size_t start = text.find(open, at);
        if (start == std::string_view::npos) {
            break;
        }
        std::size_t end = text.find(close, start + open.size());
        if (end == std::string_view::npos) {
            break;
        }
        records.emplace_back(text.substr(start, end + close.size() - start));
        at = end + close.size();
    }
    return records;
}

std::string Replace(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string DecodeReferences(std::string text) {
    for (auto [from, to] :
         {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}}) {
        text = Replace(std::move(text), from, to);
    }
    return text;
}

ItemFigures ReadItemPage(const std::string& page) {
    ItemFigures f;
    f.title = Between(page, R"(<input type="hidden" name="title" value=")", "\"");
    if (f.title.empty()) {
        f.title =
            Between(Between(page, R"(<div class="tb-detail-hd">)", "</div>"), "<h3>", "</h3>");
    }
    f.title = DecodeReferences(f.title);
    f.price = Between(page, R"(<input type="hidden" name="current_price" value= ")", "\"");
    f.stock = Between(page, R"(<input type="hidden" name="allow_quantity" value=")", "\"");
    if (f.stock.empty()) {
        f.stock = Between(page, R"(<span id="J_SpanStock" class="tb-count">)", "<");
    }
    std::string a = Between(page, R"(<li class="tb-sold-out">)", "</em>") + "</em>";
    if (a == "</em>") {
        a = Between(page, R"(<li class="tb-sold-out)", "</em>") + "</em>";
    }
    f.sold = Between(a, "<em>", "</em>");
    f.soldAddress = Between(page, "getDealQuantity: \"", "\"");
    f.viewsAddress = Between(page, R"("apiItemViews": ")", "\"");
    f.dealAddress =
        Between(Between(page, R"(class="J_TAjaxTrigger hidden J_TAjaxTriggerButton")", "</div>"),
                "params=\"", "\"");
    f.reviewAddress = Between(page, "data-reviewApi=\"", "\"");
    return f;
}

}  // namespace marketsim::test
