#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/DateTime.h"

namespace tarnwick {

// The tables of watched shops. Stores made before them lack them and keep working; the
// program adds them only when asked (init-db --watch-tables).

// One watched shop: what and how to analyse, what to alert on, and where its runs left it.
struct WatchRow {
    std::int32_t WatchID = 0;
    std::string WWName;           // the nick as the runs use it: trimmed, as typed
    std::string Schedule = "1d";  // "30m", "6h", "1d", "daily 08:30"
    std::int32_t Threads = 6;
    double MaxRate = 0;
    std::int32_t DelayMs = 0;
    double PriceChange = 10;  // percent; 0: no price alerts
    std::int32_t PriceDown = 1;
    std::int32_t PriceUp = 1;
    std::int32_t NewItems = 1;
    std::int32_t RemovedItems = 1;
    std::int32_t Stock = 1;
    std::int32_t SalesJump = 20;  // pieces; 0: off
    DateTime Created;
    DateTime LastStarted;  // the zero value: never run
    DateTime LastFinished;
    std::string LastOutcome;
    std::string LastSID;
    std::string BaselineSID;  // the last complete run
    std::int32_t Failures = 0;

    bool operator==(const WatchRow&) const = default;
};

// One alert a watched run raised.
struct AlertRow {
    std::int32_t AlertID = 0;
    DateTime AddTime;
    std::int32_t WatchID = 0;
    std::string WWName;
    std::string OlderSID;  // the run compared with
    std::string NewerSID;  // the run that raised it
    std::string ItemID;
    std::string Title;
    std::string Kind;  // "price_down" ...
    std::string BeforeValue;
    std::string AfterValue;
    std::string Text;
    std::string SentTo;        // "webhook#1, email#2"
    std::string SendFailure;   // why a channel did not take it
    std::int32_t Pending = 0;  // a channel still has to take it
    std::int32_t IsRead = 0;

    bool operator==(const AlertRow&) const = default;
};

// One place alerts are sent.
struct ChannelRow {
    std::int32_t ChannelID = 0;
    std::string Kind;     // "webhook", "email"
    std::string Address;  // the webhook's URL; the mail server without a password
    std::string Style = "json";
    std::string MailTo;
    std::string MailFrom;
    std::string Password;
    std::int32_t Plain = 0;
    DateTime AddTime;

    bool operator==(const ChannelRow&) const = default;
};

// Which alerts to read; oldest first.
struct AlertFilter {
    bool unreadOnly = false;
    bool pendingOnly = false;
    std::optional<DateTime> since;
};

}  // namespace tarnwick
