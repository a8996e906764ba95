#include "analysis/RunRecord.h"

#include <array>
#include <unordered_set>
#include <utility>

#include "store/Store.h"

namespace tarnwick {
namespace {

struct OutcomeText {
    RunOutcome outcome;
    const char* key;
    const char* label;
};

constexpr std::array<OutcomeText, 10> kOutcomes = {{
    {RunOutcome::Complete, "complete", "完成"},
    {RunOutcome::ShopNotFound, "shop-not-found", "找不到店铺"},
    {RunOutcome::MarketUnreachable, "unreachable", "无法连接"},
    {RunOutcome::Stopped, "stopped", "已停止"},
    {RunOutcome::StoreFailed, "store-failed", "数据库写入失败"},
    {RunOutcome::Blocked, "blocked", "被拦截"},
    {RunOutcome::ChangedPages, "changed-pages", "页面改版"},
    {RunOutcome::RateLimited, "rate-limited", "被限流"},
    {RunOutcome::Truncated, "truncated", "被截断"},
    {RunOutcome::Running, "running", "未结束"},
}};

struct ItemReadText {
    ItemRead state;
    const char* key;
    const char* label;
};

constexpr std::array<ItemReadText, 4> kItemReads = {{
    {ItemRead::Read, "read", "已读取"},
    {ItemRead::Failed, "failed", "读取失败"},
    {ItemRead::Blocked, "blocked", "被拦截"},
    {ItemRead::NotStarted, "not-started", "未开始"},
}};

}  // namespace

const char* OutcomeKey(RunOutcome outcome) {
    for (const OutcomeText& text : kOutcomes) {
        if (text.outcome == outcome) {
            return text.key;
        }
    }
    return "complete";
}

std::optional<RunOutcome> OutcomeFromKey(std::string_view key) {
    for (const OutcomeText& text : kOutcomes) {
        if (key == text.key) {
            return text.outcome;
        }
    }
    return std::nullopt;
}

const char* OutcomeLabel(RunOutcome outcome) {
    for (const OutcomeText& text : kOutcomes) {
        if (text.outcome == outcome) {
            return text.label;
        }
    }
    return "完成";
}

const char* ItemReadKey(ItemRead state) {
    for (const ItemReadText& text : kItemReads) {
        if (text.state == state) {
            return text.key;
        }
    }
    return "read";
}

std::optional<ItemRead> ItemReadFromKey(std::string_view key) {
    for (const ItemReadText& text : kItemReads) {
        if (key == text.key) {
            return text.state;
        }
    }
    return std::nullopt;
}

const char* ItemReadLabel(ItemRead state) {
    for (const ItemReadText& text : kItemReads) {
        if (text.state == state) {
            return text.label;
        }
    }
    return "已读取";
}

RunRecord::RunRecord(std::optional<RunOutcomeRow> outcome, const std::vector<ItemReadRow>& items)
    : m_row(std::move(outcome)) {
    std::unordered_set<std::string> listedNotRead;
    for (const ItemReadRow& row : items) {
        // A state we do not know (written by a later version) is taken as not read: it can
        // only be one of the ways an item goes unread.
        const ItemRead state = ItemReadFromKey(row.state).value_or(ItemRead::Failed);
        auto [entry, added] = m_items.try_emplace(row.ItemID, Entry{state, row.answer});
        // An id listed twice counts as read when either of its downloads read it.
        if (!added && entry->second.state != ItemRead::Read && state == ItemRead::Read) {
            entry->second = Entry{state, row.answer};
        }
        if (state != ItemRead::Read && listedNotRead.insert(row.ItemID).second) {
            m_notRead.push_back(row.ItemID);
        }
    }
    std::erase_if(m_notRead, [this](const std::string& id) { return ItemWasRead(id); });
}

RunRecord RunRecord::Load(Store& store, std::string_view sid) {
    std::optional<RunOutcomeRow> outcome = store.ReadRunOutcome(sid);
    if (!outcome) {
        return RunRecord();
    }
    return RunRecord(std::move(outcome), store.ReadItemReads(sid));
}

RunOutcome RunRecord::Outcome() const {
    if (!m_row) {
        return RunOutcome::Complete;
    }
    // An outcome we do not know was written by a later version for a way of ending we cannot
    // name; it is no complete run, or it would say so.
    return OutcomeFromKey(m_row->outcome).value_or(RunOutcome::Running);
}

bool RunRecord::ListingComplete() const {
    return !m_row || m_row->listComplete != 0;
}

bool RunRecord::Complete() const {
    return Outcome() == RunOutcome::Complete && ListingComplete() && m_notRead.empty() &&
           (!m_row || m_row->itemsNotRead == 0);
}

bool RunRecord::ItemWasRead(std::string_view itemId) const {
    auto found = m_items.find(std::string(itemId));
    return found == m_items.end() || found->second.state == ItemRead::Read;
}

std::optional<ItemRead> RunRecord::StateOf(std::string_view itemId) const {
    auto found = m_items.find(std::string(itemId));
    if (found == m_items.end()) {
        return std::nullopt;
    }
    return found->second.state;
}

std::vector<std::string> RunRecord::NotReadIds() const {
    return m_notRead;
}

std::string RunRecord::PartialText() const {
    if (Complete() || !m_row) {
        return {};
    }
    std::string text = OutcomeLabel(Outcome());
    text += ": 读取 " + std::to_string(m_row->itemsRead) + " / " +
            std::to_string(m_row->itemsQueued) + " 个宝贝";
    if (!ListingComplete()) {
        text += ", 宝贝列表未读完";
        if (m_row->listPages > 0) {
            text += " (" + std::to_string(m_row->listPagesRead) + " / " +
                    std::to_string(m_row->listPages) + " 页)";
        }
    }
    return text;
}

}  // namespace tarnwick
