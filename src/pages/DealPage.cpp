#include "pages/DealPage.h"

#include "base/Text.h"
#include "fetch/HtmlToText.h"
#include "fetch/RecordMatcher.h"
#include "fetch/TextTools.h"
#include "pages/PageDate.h"
#include "pages/PageRecords.h"

namespace tarnwick {
namespace {

// The answer is a call of this callback.
constexpr std::string_view kDealCallback = "TShop.mods.DealRecord.reload";

// The answer's HTML is a script string that escapes every quotation mark with a backslash, so
// the markers below carry a backslash before each quotation mark of the HTML.
constexpr std::string_view kEscapedQuote = R"(\")";

struct CellMarkers {
    std::string rankIcon;    // the image host's rank-icon folder
    std::string membership;  // the membership host's link, up to its title
};

DealRecord ReadRow(const std::string& row, const CellMarkers& markers) {
    DealRecord record;
    const bool named = row.find("<span class=tb-anonymous>") == std::string::npos;
    record.usertype = named ? 1 : 0;
    std::string cell = Trim(TextBetween(row, R"(<td class=\"tb-buyer\">)", "</td>"));
    if (named) {
        record.Buyer = TextBetween(cell, "\">", "</a>");
    } else {
        // The marketplace shows an anonymous buyer's first and last characters only.
        std::string tail = Trim(TextBetween(cell, "</span>", "<"));
        std::string head = Trim(TextBetween(cell, R"(<span class=\"tb-sellnick\">)", "<span"));
        record.Buyer = head + "**" + tail;
    }
    record.buyer_credit = Trim(TextBetween(cell, markers.rankIcon, kEscapedQuote));
    record.buyer_credit_str = Trim(TextBetween(cell, R"(gif\" title=\")", kEscapedQuote));
    record.userclass = Trim(TextBetween(cell, markers.membership, kEscapedQuote));
    record.price = Number(Trim(TextBetween(row, R"(<td class=\"tb-price\">)", "</td>")));
    record.amount = WholeNumber(Trim(TextBetween(row, R"(<td class=\"tb-amount\">)", "</td>")));
    record.buytime = ReadPageDateTime(Trim(TextBetween(row, R"(<td class=\"tb-time\">)", "</td>")));
    record.sku = HtmlToText(TextBetween(row, R"(<td class=\"tb-sku\">)", "</td>"));
    record.sellamount = record.amount * record.price;
    return record;
}

}  // namespace

PageShape DealPageShape(std::string_view text) {
    PageShape title = TitleShape(text);
    if (title != PageShape::Usual) {
        return title;
    }
    return text.find(kDealCallback) != std::string_view::npos ? PageShape::Usual
                                                              : PageShape::Shapeless;
}

DealPage ParseDealPage(std::string_view text, const Endpoints& endpoints) {
    DealPage page;
    page.shape = DealPageShape(text);
    std::string section(text);
    if (text.find("<tbody>") != std::string_view::npos &&
        text.find("</tbody>") != std::string_view::npos) {
        section = TextBetween(text, "<tbody>", "</tbody>");
    }
    // One compiled pattern per thread, rather than one per page.
    thread_local RecordMatcher matcher;
    page.rows = CutRecords(matcher, std::move(section), R"(<tr.*?<\/tr>)");

    const CellMarkers markers{endpoints.RankIconPrefix(),
                              endpoints.membershipHost + R"(\" title=\")"};
    for (const std::string& row : page.rows) {
        try {
            DealRecord record = ReadRow(row, markers);
            if (Trim(record.Buyer).empty() && record.price == 0) {
                continue;  // a spacer or header row
            }
            page.records.push_back(std::move(record));
        } catch (const std::exception&) {
            page.cutShort = std::current_exception();
            break;
        }
    }
    return page;
}

std::string DealPagingAddress(std::string_view firstPage) {
    std::string b =
        TextBetween(firstPage, R"(class=\"J_TAjaxTrigger\" detail:params=\")", kEscapedQuote);
    return Trim(ReplaceAll(HtmlToText(b), "&amp;", "&"));
}

}  // namespace tarnwick
