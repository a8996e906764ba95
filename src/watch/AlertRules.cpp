#include "watch/AlertRules.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace tarnwick {

namespace {

struct KindNames {
    AlertKind kind;
    std::string_view name;
    std::string_view label;
};

constexpr std::array kKinds = {
    KindNames{AlertKind::PriceDown, "price_down", "降价"},
    KindNames{AlertKind::PriceUp, "price_up", "涨价"},
    KindNames{AlertKind::New, "new", "新上架"},
    KindNames{AlertKind::Removed, "removed", "已下架"},
    KindNames{AlertKind::StockOut, "stock_out", "售罄"},
    KindNames{AlertKind::Restock, "restock", "补货"},
    KindNames{AlertKind::SalesJump, "sales_jump", "销量大增"},
    KindNames{AlertKind::WatchFailed, "watch_failed", "监控失败"},
};

const KindNames& Names(AlertKind kind) {
    for (const KindNames& names : kKinds) {
        if (names.kind == kind) {
            return names;
        }
    }
    return kKinds.back();
}

std::int64_t Fen(double price) {
    return std::llround(price * 100.0);
}

// "10.0%": to a tenth, which is as fine as a price threshold is ever set.
std::string PercentText(std::int64_t fromFen, std::int64_t toFen) {
    char text[32];
    const double percent =
        std::fabs(static_cast<double>(toFen - fromFen)) * 100.0 / static_cast<double>(fromFen);
    std::snprintf(text, sizeof text, "%.1f%%", percent);
    return text;
}

// Whether a move from `fromFen` to `toFen` is at least `percent` of the old price. Counted in
// fen and hundredths of a percent, so that a cut of exactly 10% is one (99.90 to 89.91), which
// the floating-point quotient 9.99999...% would miss.
bool MovedAtLeast(std::int64_t fromFen, std::int64_t toFen, double percent) {
    const std::int64_t hundredths = std::llround(percent * 100.0);
    const std::int64_t moved = toFen > fromFen ? toFen - fromFen : fromFen - toFen;
    return moved * 10'000 >= hundredths * fromFen;
}

Alert MakeAlert(AlertKind kind, const WatchedItem& item, std::string before, std::string after,
                const std::string& detail) {
    Alert alert;
    alert.kind = kind;
    alert.itemId = item.itemId;
    alert.title = item.title;
    alert.before = std::move(before);
    alert.after = std::move(after);
    const std::string title = AlertLineText(item.title.empty() ? item.itemId : item.title);
    alert.text =
        std::string(AlertKindLabel(kind)) + (detail.empty() ? "" : " " + detail) + ": " + title;
    return alert;
}

void PriceAlerts(const WatchedItem& item, const AlertRules& rules, std::vector<Alert>& out) {
    const std::int64_t from = Fen(item.before->price);
    const std::int64_t to = Fen(item.after->price);
    // A price of 0 is what a page without one leaves: no move can be measured from or to it.
    if (rules.priceChangePercent <= 0 || from <= 0 || to <= 0 || from == to ||
        !MovedAtLeast(from, to, rules.priceChangePercent)) {
        return;
    }
    const bool down = to < from;
    if (down ? !rules.priceDown : !rules.priceUp) {
        return;
    }
    const std::string before = PriceText(item.before->price);
    const std::string after = PriceText(item.after->price);
    out.push_back(MakeAlert(down ? AlertKind::PriceDown : AlertKind::PriceUp, item, before, after,
                            PercentText(from, to) + " (" + before + " → " + after + ")"));
}

void StockAlerts(const WatchedItem& item, const AlertRules& rules, std::vector<Alert>& out) {
    if (!rules.stock) {
        return;
    }
    const std::int32_t from = item.before->stock;
    const std::int32_t to = item.after->stock;
    const std::string detail = "(库存 " + std::to_string(from) + " → " + std::to_string(to) + ")";
    if (from > 0 && to == 0) {
        out.push_back(MakeAlert(AlertKind::StockOut, item, std::to_string(from), "0", detail));
    } else if (from == 0 && to > 0) {
        out.push_back(MakeAlert(AlertKind::Restock, item, "0", std::to_string(to), detail));
    }
}

}  // namespace

std::string_view AlertKindName(AlertKind kind) {
    return Names(kind).name;
}

std::string_view AlertKindLabel(AlertKind kind) {
    return Names(kind).label;
}

std::optional<AlertKind> ParseAlertKind(std::string_view name) {
    for (const KindNames& names : kKinds) {
        if (names.name == name) {
            return names.kind;
        }
    }
    return std::nullopt;
}

std::vector<Alert> EvaluateAlerts(const WatchedComparison& comparison, const AlertRules& rules) {
    std::vector<Alert> alerts;
    std::vector<Alert> removed;
    for (const WatchedItem& item : comparison.items) {
        if (item.listedAfter && !item.listedBefore) {
            // Missing from a listing that was not read to its end may only mean not reached.
            if (rules.newItems && comparison.olderListingComplete && item.after) {
                alerts.push_back(MakeAlert(AlertKind::New, item, "", PriceText(item.after->price),
                                           "(" + PriceText(item.after->price) + ")"));
            }
            continue;
        }
        if (item.listedBefore && !item.listedAfter) {
            if (rules.removedItems && comparison.olderListingComplete &&
                comparison.newerListingComplete && item.before) {
                removed.push_back(
                    MakeAlert(AlertKind::Removed, item, PriceText(item.before->price), "", ""));
            }
            continue;
        }
        if (!item.listedBefore || !item.before || !item.after) {
            continue;
        }
        PriceAlerts(item, rules, alerts);
        StockAlerts(item, rules, alerts);
        if (rules.salesJumpPieces > 0 && item.soldBetween >= rules.salesJumpPieces) {
            alerts.push_back(MakeAlert(AlertKind::SalesJump, item, "",
                                       std::to_string(item.soldBetween),
                                       "(自上次 " + std::to_string(item.soldBetween) + " 件)"));
        }
    }
    alerts.insert(alerts.end(), std::make_move_iterator(removed.begin()),
                  std::make_move_iterator(removed.end()));
    return alerts;
}

Alert WatchFailedAlert(std::string_view reason) {
    Alert alert;
    alert.kind = AlertKind::WatchFailed;
    alert.after = std::string(reason);
    alert.text =
        std::string(AlertKindLabel(AlertKind::WatchFailed)) + ": " + AlertLineText(reason, 200);
    return alert;
}

std::string PriceText(double price) {
    char text[48];
    std::snprintf(text, sizeof text, "%.2f", price);
    return text;
}

std::string AlertLineText(std::string_view text, std::size_t maxBytes) {
    std::string line;
    line.reserve(std::min(text.size(), maxBytes + 3));
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        const std::string_view character = text.substr(i, length);
        i += character.size();
        if (line.size() + character.size() > maxBytes) {
            line += "…";
            break;
        }
        const bool control = lead < 0x20 || lead == 0x7F;
        // U+0080..U+009F (C1 controls), U+2028/U+2029, U+202A..U+202E and U+2066..U+2069.
        const bool c1 = character.size() == 2 && lead == 0xC2 &&
                        static_cast<unsigned char>(character[1]) < 0xA0;
        bool layout = false;
        if (character.size() == 3 && lead == 0xE2) {
            const auto b1 = static_cast<unsigned char>(character[1]);
            const auto b2 = static_cast<unsigned char>(character[2]);
            layout = (b1 == 0x80 && b2 >= 0xA8 && b2 <= 0xAE) ||
                     (b1 == 0x81 && b2 >= 0xA6 && b2 <= 0xA9);
        }
        line += control || c1 || layout ? std::string(" ") : std::string(character);
    }
    return line;
}

}  // namespace tarnwick
