#pragma once

#include <string>
#include <vector>

#include "Command.h"
#include "analysis/RunComparison.h"
#include "store/Store.h"

namespace tarnwick::cli {

// A result as columns and rows of text, as the table shows it to people.
struct TextRows {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
};

struct ComparedRuns {
    RunComparison comparison;
    TextRows items;                     // every item, or the changed ones only
    std::vector<ItemComparison> shown;  // the items the rows stand for, in the same order
    std::vector<std::string> summary;   // the runs, the counts and the shop's totals
};

// Throws std::runtime_error naming a key that is not stored.
ComparedRuns CompareStoredRuns(Store& store, const std::string& olderSid,
                               const std::string& newerSid, bool changedOnly);

// The compared items for programs: a name per column that does not change with the
// interface's language, money and counts as numbers, nothing where a side is missing.
ViewTable ComparisonView(const std::vector<ItemComparison>& items);

// One row per run of the shop of `sid`, oldest first. Throws std::runtime_error for a key that
// is not stored.
TextRows ItemHistoryRows(Store& store, const std::string& sid, const std::string& itemId);
ViewTable ItemHistoryView(Store& store, const std::string& sid, const std::string& itemId);

// compare OLD_SID NEW_SID: two runs of a shop side by side.
class CompareCommand : public ViewCommand {
public:
    CompareCommand();
    void Declare(CLI::App& app) override;
    int Run() override;

private:
    std::string m_older;
    std::string m_newer;
    bool m_changedOnly = false;
    std::string m_xlsx;
    std::string m_csv;
};

// history SID ITEMID: one item's figures in every run of its shop.
class HistoryCommand : public ViewCommand {
public:
    HistoryCommand();
    void Declare(CLI::App& app) override;
    int Run() override;

private:
    std::string m_sid;
    std::string m_itemId;
};

}  // namespace tarnwick::cli
