#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "watch/WatchedComparison.h"

namespace tarnwick {

// The kinds of alert, named as scripts see them (`kind` in csv and json).
enum class AlertKind {
    PriceDown,
    PriceUp,
    New,
    Removed,
    StockOut,
    Restock,
    SalesJump,
    WatchFailed
};

std::string_view AlertKindName(AlertKind kind);  // "price_down" ...
std::optional<AlertKind> ParseAlertKind(std::string_view name);
// The kind as the interface names it: "降价", "涨价", "新上架" ...
std::string_view AlertKindLabel(AlertKind kind);

// What a seller wants to hear about a watched shop. The defaults are what most ask for: a
// price move of a tenth either way, every new and removed item, stock running out and coming
// back, and an item that sold twenty pieces or more since the last run.
struct AlertRules {
    double priceChangePercent = 10.0;  // at least this much either way; 0: no price alerts
    bool priceDown = true;
    bool priceUp = true;
    bool newItems = true;
    bool removedItems = true;
    bool stock = true;                  // stock out and restock
    std::int32_t salesJumpPieces = 20;  // at least this many sold since the older run; 0: off

    bool operator==(const AlertRules&) const = default;
};

// One change worth telling the seller. `before` and `after` are the figures as text (a price
// "89.90", a stock "0", pieces sold "35"), empty where a side has none.
struct Alert {
    AlertKind kind = AlertKind::New;
    std::string itemId;  // empty for a failed run
    std::string title;
    std::string before;
    std::string after;
    std::string text;  // one line, for people: "降价 10.0% (99.90 → 89.91): 连衣裙"
};

// The alerts that two runs of a shop give under the rules, the newer run's items first in its
// order, then the removed ones. An item not read in a run raises nothing that depends on that
// run; an item is removed only when both listings were read to their end and the older run
// read the item; a new item needs the older listing read to its end.
std::vector<Alert> EvaluateAlerts(const WatchedComparison& comparison, const AlertRules& rules);

// The alert of a watched run that did not complete; `reason` says how it ended ("被拦截 ...").
Alert WatchFailedAlert(std::string_view reason);

// A page's text made fit for one line of an alert: control characters, line and paragraph
// separators and direction overrides become blanks, and a long title is cut at a character
// boundary with "…".
std::string AlertLineText(std::string_view text, std::size_t maxBytes = 90);

// A price as alerts show it: "89.9" as "89.90".
std::string PriceText(double price);

}  // namespace tarnwick
