#include "watch/StoreWatchStore.h"

#include <cstdint>
#include <optional>

#include "analysis/ShopRuns.h"
#include "watch/ComparisonSource.h"

namespace tarnwick {

namespace {

// The watch's fields beside their columns, in one list walked one way to read a row and the
// other way to write one, so that a field cannot be read and then forgotten when written. The
// key and the schedule, which need more than a copy, are each direction's own.
template <typename WatchT, typename RowT, typename Copy>
void EachField(WatchT& watch, RowT& row, Copy copy) {
    copy(watch.nick, row.WWName);
    copy(watch.threads, row.Threads);
    copy(watch.maxRate, row.MaxRate);
    copy(watch.delayMs, row.DelayMs);
    copy(watch.rules.priceChangePercent, row.PriceChange);
    copy(watch.rules.priceDown, row.PriceDown);
    copy(watch.rules.priceUp, row.PriceUp);
    copy(watch.rules.newItems, row.NewItems);
    copy(watch.rules.removedItems, row.RemovedItems);
    copy(watch.rules.stock, row.Stock);
    copy(watch.rules.salesJumpPieces, row.SalesJump);
    copy(watch.created, row.Created);
    copy(watch.lastStarted, row.LastStarted);
    copy(watch.lastFinished, row.LastFinished);
    copy(watch.lastOutcome, row.LastOutcome);
    copy(watch.lastSid, row.LastSID);
    copy(watch.baselineSid, row.BaselineSID);
    copy(watch.failures, row.Failures);
}

// A flag is 0 or 1 in its column, and "never" is the zero value, as everywhere in the store.
struct ToWatch {
    template <typename T>
    void operator()(T& field, const T& column) const {
        field = column;
    }
    void operator()(bool& field, std::int32_t column) const { field = column != 0; }
    void operator()(std::optional<DateTime>& field, DateTime column) const {
        field = column == DateTime() ? std::nullopt : std::optional<DateTime>(column);
    }
};

struct ToRow {
    template <typename T>
    void operator()(const T& field, T& column) const {
        column = field;
    }
    void operator()(bool field, std::int32_t& column) const { column = field ? 1 : 0; }
    void operator()(const std::optional<DateTime>& field, DateTime& column) const {
        column = field.value_or(DateTime());
    }
};

}  // namespace

Watch WatchFromRow(const WatchRow& row) {
    Watch watch;
    watch.id = row.WatchID;
    watch.schedule = Schedule::Parse(row.Schedule).value_or(watch.schedule);
    EachField(watch, row, ToWatch{});
    return watch;
}

WatchRow RowFromWatch(const Watch& watch) {
    WatchRow row;
    row.WatchID = static_cast<std::int32_t>(watch.id);
    row.Schedule = watch.schedule.Text();
    EachField(watch, row, ToRow{});
    return row;
}

ChannelConfig ChannelFromRow(const ChannelRow& row) {
    ChannelConfig channel;
    channel.id = row.ChannelID;
    channel.kind = row.Kind == "email" ? ChannelConfig::Kind::Email : ChannelConfig::Kind::Webhook;
    channel.address = row.Address;
    channel.style = ParseStyle(row.Style).value_or(ChannelConfig::Style::Json);
    channel.to = row.MailTo;
    channel.from = row.MailFrom;
    channel.password = row.Password;
    channel.plain = row.Plain != 0;
    return channel;
}

StoredAlert AlertFromRow(const AlertRow& row) {
    StoredAlert alert;
    alert.id = row.AlertID;
    alert.time = row.AddTime;
    alert.watchId = row.WatchID;
    alert.nick = row.WWName;
    alert.olderSid = row.OlderSID;
    alert.newerSid = row.NewerSID;
    alert.alert.kind = ParseAlertKind(row.Kind).value_or(AlertKind::WatchFailed);
    alert.alert.itemId = row.ItemID;
    alert.alert.title = row.Title;
    alert.alert.before = row.BeforeValue;
    alert.alert.after = row.AfterValue;
    alert.alert.text = row.Text;
    alert.sentTo = row.SentTo;
    alert.failure = row.SendFailure;
    alert.pending = row.Pending != 0;
    alert.read = row.IsRead != 0;
    return alert;
}

AlertRow RowFromAlert(const StoredAlert& alert) {
    AlertRow row;
    row.AlertID = static_cast<std::int32_t>(alert.id);
    row.AddTime = alert.time;
    row.WatchID = static_cast<std::int32_t>(alert.watchId);
    row.WWName = alert.nick;
    row.OlderSID = alert.olderSid;
    row.NewerSID = alert.newerSid;
    row.Kind = std::string(AlertKindName(alert.alert.kind));
    row.ItemID = alert.alert.itemId;
    row.Title = alert.alert.title;
    row.BeforeValue = alert.alert.before;
    row.AfterValue = alert.alert.after;
    row.Text = alert.alert.text;
    row.SentTo = alert.sentTo;
    row.SendFailure = alert.failure;
    row.Pending = alert.pending ? 1 : 0;
    row.IsRead = alert.read ? 1 : 0;
    return row;
}

std::optional<WatchRow> FindWatchRow(Store& store, const std::string& nick) {
    for (WatchRow& row : store.ReadWatches()) {
        if (row.WWName == nick) {
            return std::move(row);
        }
    }
    return std::nullopt;
}

StoreWatchStore::StoreWatchStore(Store store) : m_store(std::move(store)) {
}

std::vector<Watch> StoreWatchStore::ReadWatches() {
    std::vector<Watch> watches;
    for (const WatchRow& row : m_store.ReadWatches()) {
        watches.push_back(WatchFromRow(row));
    }
    return watches;
}

std::optional<Watch> StoreWatchStore::ReadWatch(std::int64_t id) {
    std::optional<WatchRow> row = m_store.ReadWatch(static_cast<std::int32_t>(id));
    return row ? std::optional<Watch>(WatchFromRow(*row)) : std::nullopt;
}

bool StoreWatchStore::Claim(std::int64_t id, const std::string& holder, DateTime now,
                            DateTime until) {
    return m_store.ClaimWatch(static_cast<std::int32_t>(id), holder, now, until);
}

bool StoreWatchStore::Renew(std::int64_t id, const std::string& holder, DateTime until) {
    return m_store.RenewWatch(static_cast<std::int32_t>(id), holder, until);
}

void StoreWatchStore::Release(std::int64_t id, const std::string& holder) {
    m_store.ReleaseWatch(static_cast<std::int32_t>(id), holder);
}

void StoreWatchStore::RecordRun(const Watch& watch) {
    m_store.RecordWatchRun(RowFromWatch(watch));
}

std::int64_t StoreWatchStore::AppendAlert(const StoredAlert& alert) {
    return m_store.AppendAlert(RowFromAlert(alert));
}

void StoreWatchStore::SetDelivery(std::int64_t alertId, const std::string& sentTo,
                                  const std::string& failure, bool pending) {
    m_store.SetAlertDelivery(static_cast<std::int32_t>(alertId), sentTo, failure, pending);
}

std::vector<StoredAlert> StoreWatchStore::PendingAlerts() {
    AlertFilter filter;
    filter.pendingOnly = true;
    std::vector<StoredAlert> alerts;
    for (const AlertRow& row : m_store.ReadAlerts(filter)) {
        alerts.push_back(AlertFromRow(row));
    }
    return alerts;
}

std::vector<ChannelConfig> StoreWatchStore::Channels() {
    std::vector<ChannelConfig> channels;
    for (const ChannelRow& row : m_store.ReadChannels()) {
        channels.push_back(ChannelFromRow(row));
    }
    return channels;
}

std::optional<WatchedComparison> StoreWatchStore::Compare(const std::string& baselineSid,
                                                          const std::string& newSid,
                                                          bool newComplete) {
    const std::vector<ShopRow> shops = m_store.ReadShops();
    const ShopRow* older = nullptr;
    const ShopRow* newer = nullptr;
    for (const ShopRow& shop : shops) {
        older = shop.SID == baselineSid ? &shop : older;
        newer = shop.SID == newSid ? &shop : newer;
    }
    if (older == nullptr || newer == nullptr) {
        return std::nullopt;
    }
    StoredComparisonSource source;
    return source.Compare(m_store, *older, *newer, newComplete);
}

}  // namespace tarnwick
