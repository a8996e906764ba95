#include "AlertsCommand.h"

#include <iostream>

#include "base/Text.h"
#include "store/WatchRows.h"
#include "watch/AlertRules.h"

namespace tarnwick::cli {

std::optional<DateTime> ParseSince(const std::string& text, DateTime now) {
    if (text.size() >= 2 && text.find('-') == std::string::npos) {
        const char unit = text.back();
        const std::optional<int> count =
            ParseInt(std::string_view(text).substr(0, text.size() - 1));
        const double perUnit = unit == 'm'   ? 1.0 / 1440
                               : unit == 'h' ? 1.0 / 24
                               : unit == 'd' ? 1
                                             : 0;
        if (!count || perUnit == 0 || *count < 0) {
            return std::nullopt;
        }
        return DateTime(now.Days() - *count * perUnit);
    }
    // A date, then an optional time to the minute or second.
    if (text.size() != 10 && text.size() != 16 && text.size() != 19) {
        return std::nullopt;
    }
    std::string stored = text + std::string("0000-00-00 00:00:00.000").substr(text.size());
    if (text.size() > 10 && text[10] != ' ' && text[10] != 'T') {
        return std::nullopt;
    }
    stored[10] = ' ';
    try {
        return DateTime::FromText(stored);
    } catch (const InvalidDateTime&) {
        return std::nullopt;
    }
}

AlertsCommand::AlertsCommand()
    : ViewCommand("alerts", "List the alerts the watched shops raised, oldest first") {
}

void AlertsCommand::Declare(CLI::App& app) {
    AddFormatOptions(app);
    app.add_flag("--unread", m_unread, "Only the alerts not yet marked read (alerts ack)");
    app.add_option("--since", m_since,
                   "Only those from this time on: 2026-03-01, \"2026-03-01 09:30\", or a time "
                   "back from now such as 6h or 7d")
        ->type_name("TIME");
    app.add_option("--nick", m_nick, "Only the alerts of this watched shop")->type_name("NICK");
    m_ack = app.add_subcommand("ack", "Mark alerts read: those given, or every unread one");
    m_ack->add_option("ID", m_ids, "The alerts' numbers (AlertID)");
    AddDatabaseOption(*m_ack);
}

ViewTable AlertsCommand::AlertTable(Store& store, DateTime now) const {
    AlertFilter filter;
    filter.unreadOnly = m_unread;
    if (!m_since.empty()) {
        filter.since = ParseSince(m_since, now);
        if (!filter.since) {
            throw UsageError(
                "--since needs a time such as 2026-03-01, \"2026-03-01 09:30\" or "
                "7d, not " +
                m_since);
        }
    }
    ViewTable table({{"AlertID", "编号"},
                     {"time", "时间"},
                     {"WWName", "掌柜"},
                     {"kind", "类型"},
                     {"ItemID", "宝贝ID"},
                     {"before", "之前"},
                     {"after", "之后"},
                     {"text", "内容"},
                     {"OlderSID", "对比分析"},
                     {"NewerSID", "本次分析"},
                     {"SentTo", "已发送到"},
                     {"SendFailure", "发送失败"},
                     {"read", "已读"}});
    const std::string nick = Trim(m_nick);
    for (const AlertRow& row : store.ReadAlerts(filter)) {
        if (!nick.empty() && row.WWName != nick) {
            continue;
        }
        auto textOrNothing = [](const std::string& text) -> ViewCell {
            return text.empty() ? ViewCell() : ViewCell(text);
        };
        table.AddRow({std::int64_t{row.AlertID}, row.AddTime, row.WWName, row.Kind,
                      textOrNothing(row.ItemID), textOrNothing(row.BeforeValue),
                      textOrNothing(row.AfterValue), row.Text, textOrNothing(row.OlderSID),
                      row.NewerSID, row.SentTo, row.SendFailure, std::int64_t{row.IsRead}});
    }
    return table;
}

int AlertsCommand::Run() {
    if (m_ack->parsed()) {
        return Ack();
    }
    Store store = OpenStore();
    RequireWatchTables(store);
    const ViewTable table = AlertTable(store, DateTime::Now());
    Emit(table, std::to_string(table.RowCount()) + " 条提醒");
    return 0;
}

int AlertsCommand::Ack() {
    Store store = OpenStore();
    RequireWatchTables(store);
    const int marked = store.MarkAlertsRead(m_ids);
    if (!m_ids.empty() && marked < static_cast<int>(m_ids.size())) {
        std::cerr << "tarnwick-cli: " << m_ids.size() - static_cast<std::size_t>(marked)
                  << " 个编号没有未读的提醒\n";
    }
    std::cout << "已标为已读: " << marked << " 条提醒\n";
    return 0;
}

}  // namespace tarnwick::cli
