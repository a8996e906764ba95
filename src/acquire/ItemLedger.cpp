#include "acquire/ItemLedger.h"

#include <unordered_set>

namespace tarnwick {

std::vector<QueuedItem> ItemLedger::Queue(const std::vector<std::string>& ids) {
    std::lock_guard lock(m_mutex);
    std::vector<QueuedItem> queued;
    queued.reserve(ids.size());
    for (const std::string& id : ids) {
        Entry& entry = m_entries.emplace_back();
        entry.item = QueuedItem{static_cast<int>(m_entries.size()), id};
        queued.push_back(entry.item);
    }
    return queued;
}

void ItemLedger::Finish(int seq, ItemRead state, std::string answer, bool stored) {
    std::lock_guard lock(m_mutex);
    if (seq < 1 || static_cast<std::size_t>(seq) > m_entries.size()) {
        return;
    }
    Entry& entry = m_entries[static_cast<std::size_t>(seq - 1)];
    entry.state = state;
    entry.answer = std::move(answer);
    entry.ended = true;
    entry.stored = stored;
}

void ItemLedger::MarkStored(int seq) {
    std::lock_guard lock(m_mutex);
    if (seq >= 1 && static_cast<std::size_t>(seq) <= m_entries.size()) {
        m_entries[static_cast<std::size_t>(seq - 1)].stored = true;
    }
}

std::vector<ItemLedger::Entry> ItemLedger::Entries() const {
    std::lock_guard lock(m_mutex);
    return m_entries;
}

ItemLedger::Counts ItemLedger::Tally() const {
    std::lock_guard lock(m_mutex);
    Counts counts;
    std::unordered_set<std::string> distinct;
    for (const Entry& entry : m_entries) {
        distinct.insert(entry.item.itemId);
        ++counts.queued;
        if (entry.state == ItemRead::Read) {
            ++counts.read;
        } else {
            ++counts.notRead;
        }
    }
    counts.listed = static_cast<int>(distinct.size());
    return counts;
}

std::vector<std::string> ItemLedger::NotRead() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> ids;
    std::unordered_set<std::string> seen;
    for (const Entry& entry : m_entries) {
        if (entry.state != ItemRead::Read && seen.insert(entry.item.itemId).second) {
            ids.push_back(entry.item.itemId);
        }
    }
    return ids;
}

}  // namespace tarnwick
