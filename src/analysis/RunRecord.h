#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/Rows.h"

namespace tarnwick {

class Store;

// How a run ended, decided once its workers have ended. Callers switch over it, so a new way to
// end is one more value here and one more case there.
enum class RunOutcome {
    Complete,           // the listing read to its end and every queued item's page read
    ShopNotFound,       // the IM card answered, but without a shop for the nick
    MarketUnreachable,  // the marketplace never gave us what we needed: every request failed
    Stopped,            // the user stopped the run
    StoreFailed,        // the database refused rows for good; the run ended early
    Blocked,            // the marketplace answered with login or verification pages
    ChangedPages,       // the listing promised items but none could be cut out of it
    RateLimited,        // the marketplace kept refusing us for asking too often
    Truncated,          // the listing had more pages than the run was allowed to read
    Running,            // stored when the run began; still so when it never ended
};

// Stable names, stored and printed for scripts: "complete", "stopped", "rate-limited", ...
const char* OutcomeKey(RunOutcome outcome);
std::optional<RunOutcome> OutcomeFromKey(std::string_view key);
// As the user reads it: "完成", "已停止", "被限流", ...
const char* OutcomeLabel(RunOutcome outcome);

// What became of one queued item: whether its figures are the marketplace's.
enum class ItemRead {
    Read,        // its item page was read
    Failed,      // its item page could not be fetched (the answer class says how), or not stored
    Blocked,     // a login, verification or changed page came instead of the item page
    NotStarted,  // the run stopped or ended before the item's turn
};

const char* ItemReadKey(ItemRead state);  // "read", "failed", "blocked", "not-started"
std::optional<ItemRead> ItemReadFromKey(std::string_view key);
const char* ItemReadLabel(ItemRead state);  // "已读取", "读取失败", "被拦截", "未开始"

// The label every view shows for an item whose figures were not read: "未读取".
inline constexpr const char* kNotReadLabel = "未读取";

// What a stored run is worth, read once from the store: its outcome and counts, and each
// queued item's read state. Everything that reads runs (comparisons, history, the item list,
// the shop list, the watch runner) asks here whether a run and its items can be believed.
// A run stored before the program kept these (or in a store without their tables) is taken
// as it always was: complete, every stored item read.
class RunRecord {
public:
    RunRecord() = default;  // nothing stored: an old run
    RunRecord(std::optional<RunOutcomeRow> outcome, const std::vector<ItemReadRow>& items);

    // Reads the run's record; an old run, or a store without the tables, gives an old run's.
    static RunRecord Load(Store& store, std::string_view sid);

    // Whether the store holds an outcome for the run at all.
    bool Known() const { return m_row.has_value(); }
    const std::optional<RunOutcomeRow>& Row() const { return m_row; }
    RunOutcome Outcome() const;
    // The listing was read to its end (every promised page, none skipped or cut off).
    bool ListingComplete() const;
    // The listing read to its end and every queued item read: what "healthy" promises. Old
    // runs count as complete, as they always did.
    bool Complete() const;
    // Whether an item's figures in this run are the marketplace's. An item the run stored no
    // state for was read (an old run's items, and every item of a run that kept states and
    // stored none for it, since a state is stored whenever an item was not read).
    bool ItemWasRead(std::string_view itemId) const;
    // The state of the item's first queued entry that was read, else of its first entry.
    std::optional<ItemRead> StateOf(std::string_view itemId) const;
    // Item ids of queued entries that were not read, in queue order, each once.
    std::vector<std::string> NotReadIds() const;
    // "已停止: 读取 14 / 45 个宝贝" for a run that is not complete; empty for a complete one.
    std::string PartialText() const;

private:
    std::optional<RunOutcomeRow> m_row;
    struct Entry {
        ItemRead state = ItemRead::Read;
        std::string answer;
    };
    std::unordered_map<std::string, Entry> m_items;  // id -> best entry
    std::vector<std::string> m_notRead;              // in queue order
};

}  // namespace tarnwick
