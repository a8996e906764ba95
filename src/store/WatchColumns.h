#pragma once

#include <array>

#include "store/StoreColumns.h"
#include "store/WatchRows.h"

namespace tarnwick {

// The key columns come first; writers leave them to the engine, which numbers the rows.
inline const std::array<Column<WatchRow>, 20> kWatchColumns = {{
    {"WatchID", &WatchRow::WatchID},           {"WWName", &WatchRow::WWName},
    {"Schedule", &WatchRow::Schedule},         {"Threads", &WatchRow::Threads},
    {"MaxRate", &WatchRow::MaxRate},           {"DelayMs", &WatchRow::DelayMs},
    {"PriceChange", &WatchRow::PriceChange},   {"PriceDown", &WatchRow::PriceDown},
    {"PriceUp", &WatchRow::PriceUp},           {"NewItems", &WatchRow::NewItems},
    {"RemovedItems", &WatchRow::RemovedItems}, {"Stock", &WatchRow::Stock},
    {"SalesJump", &WatchRow::SalesJump},       {"Created", &WatchRow::Created},
    {"LastStarted", &WatchRow::LastStarted},   {"LastFinished", &WatchRow::LastFinished},
    {"LastOutcome", &WatchRow::LastOutcome},   {"LastSID", &WatchRow::LastSID},
    {"BaselineSID", &WatchRow::BaselineSID},   {"Failures", &WatchRow::Failures},
}};

inline const std::array<Column<AlertRow>, 16> kAlertColumns = {{
    {"AlertID", &AlertRow::AlertID},
    {"AddTime", &AlertRow::AddTime},
    {"WatchID", &AlertRow::WatchID},
    {"WWName", &AlertRow::WWName},
    {"OlderSID", &AlertRow::OlderSID},
    {"NewerSID", &AlertRow::NewerSID},
    {"ItemID", &AlertRow::ItemID},
    {"Title", &AlertRow::Title},
    {"Kind", &AlertRow::Kind},
    {"BeforeValue", &AlertRow::BeforeValue},
    {"AfterValue", &AlertRow::AfterValue},
    {"Text", &AlertRow::Text},
    {"SentTo", &AlertRow::SentTo},
    {"SendFailure", &AlertRow::SendFailure},
    {"Pending", &AlertRow::Pending},
    {"IsRead", &AlertRow::IsRead},
}};

inline const std::array<Column<ChannelRow>, 9> kChannelColumns = {{
    {"ChannelID", &ChannelRow::ChannelID},
    {"Kind", &ChannelRow::Kind},
    {"Address", &ChannelRow::Address},
    {"Style", &ChannelRow::Style},
    {"MailTo", &ChannelRow::MailTo},
    {"MailFrom", &ChannelRow::MailFrom},
    {"Password", &ChannelRow::Password},
    {"Plain", &ChannelRow::Plain},
    {"AddTime", &ChannelRow::AddTime},
}};

// "insert into T (b, c) values (?, ?)": every column but the first, the key.
template <typename Row, std::size_t N, typename Placeholder>
std::string InsertWithoutKeySql(const char* table, const std::array<Column<Row>, N>& columns,
                                Placeholder placeholder) {
    std::string names;
    std::string values;
    for (std::size_t i = 1; i < N; ++i) {
        names += i == 1 ? "" : ", ";
        names += columns[i].name;
        values += i == 1 ? "" : ", ";
        values += placeholder(static_cast<int>(i));
    }
    return std::string("insert into ") + table + " (" + names + ") values (" + values + ")";
}

}  // namespace tarnwick
