#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "analysis/RunRecord.h"

namespace tarnwick {

// An entry of a run's queue: the item id and its place in the queue (counting from 1), which
// tells apart the two downloads of an id listed twice.
struct QueuedItem {
    int seq = 0;
    std::string itemId;
};

// Every entry a run queued and what became of it, so that the run's end can say how much of the
// shop it read, and store it. Any thread; one lock of its own.
class ItemLedger {
public:
    struct Entry {
        QueuedItem item;
        ItemRead state = ItemRead::NotStarted;
        std::string answer;   // the answer class's name for a failed or blocked item page
        bool ended = false;   // its download ended (a not-started entry never does)
        bool stored = false;  // its state is in the store
    };
    struct Counts {
        int listed = 0;  // distinct ids
        int queued = 0;
        int read = 0;
        int notRead = 0;  // failed, blocked, or not (yet) started
    };

    // The entries of one listing page, numbered on from the last.
    std::vector<QueuedItem> Queue(const std::vector<std::string>& ids);
    void Finish(int seq, ItemRead state, std::string answer, bool stored);
    // Every entry, in queue order; those whose download never ended read NotStarted.
    std::vector<Entry> Entries() const;
    Counts Tally() const;
    // The ids of entries that were not read, in queue order (an id listed twice, once).
    std::vector<std::string> NotRead() const;
    void MarkStored(int seq);

private:
    mutable std::mutex m_mutex;
    std::vector<Entry> m_entries;  // index seq - 1
};

}  // namespace tarnwick
