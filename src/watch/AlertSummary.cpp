#include "watch/AlertSummary.h"

#include <algorithm>
#include <string>

namespace tarnwick {

namespace {

// The order a seller reads them in: what needs action first.
int Urgency(AlertKind kind) {
    switch (kind) {
        case AlertKind::WatchFailed:
            return 0;
        case AlertKind::PriceDown:
            return 1;
        case AlertKind::StockOut:
            return 2;
        case AlertKind::PriceUp:
            return 3;
        case AlertKind::New:
            return 4;
        case AlertKind::SalesJump:
            return 5;
        case AlertKind::Restock:
            return 6;
        case AlertKind::Removed:
            return 7;
    }
    return 8;
}

std::string MoreLine(std::size_t count) {
    return "…另有 " + std::to_string(count) + " 条提醒 (tarnwick-cli alerts 查看全部)";
}

}  // namespace

Notification SummariseAlerts(std::string_view nick, const std::vector<Alert>& alerts,
                             std::size_t maxBytes) {
    Notification notice;
    if (alerts.empty()) {
        return notice;
    }
    std::vector<const Alert*> ordered;
    ordered.reserve(alerts.size());
    for (const Alert& alert : alerts) {
        ordered.push_back(&alert);
    }
    std::stable_sort(ordered.begin(), ordered.end(), [](const Alert* a, const Alert* b) {
        return Urgency(a->kind) < Urgency(b->kind);
    });

    const std::string shop = AlertLineText(nick, 60);
    const bool failed = ordered.front()->kind == AlertKind::WatchFailed && alerts.size() == 1;
    notice.title = "监控 " + shop + ": " +
                   (failed ? std::string("监控失败") : std::to_string(alerts.size()) + " 条提醒");
    // Room for the title and its blank line, and for the count line should any be left out.
    std::size_t used = notice.title.size() + 2;
    const std::size_t reserve = MoreLine(alerts.size()).size() + 1;
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        const Alert& alert = *ordered[i];
        const bool last = i + 1 == ordered.size();
        const std::size_t needed = used + alert.text.size() + 1 + (last ? 0 : reserve);
        if (needed > maxBytes) {
            notice.omitted = ordered.size() - i;
            break;
        }
        used += alert.text.size() + 1;
        notice.lines.push_back(alert.text);
        notice.entries.push_back({std::string(AlertKindName(alert.kind)), std::string(nick),
                                  alert.itemId, alert.before, alert.after, alert.text});
    }
    if (notice.omitted > 0) {
        notice.lines.push_back(MoreLine(notice.omitted));
    }
    return notice;
}

}  // namespace tarnwick
