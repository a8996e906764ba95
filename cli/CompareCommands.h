#pragma once

#include <string>
#include <vector>

#include "CliArgs.h"
#include "analysis/RunComparison.h"
#include "store/Store.h"

namespace tarnwick::cli {

// A result as columns and rows of text, for whatever form the command line prints it in.
struct TextRows {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
};

struct CompareResult {
    RunComparison comparison;
    TextRows items;                     // every item, or the changed ones only
    std::vector<ItemComparison> shown;  // the items the rows stand for, in the same order
    std::vector<std::string> summary;   // the runs, the counts and the shop's totals
};

// Throws std::runtime_error naming a key that is not stored.
CompareResult CompareCommand(Store& store, const std::string& olderSid, const std::string& newerSid,
                             bool changedOnly);
// One row per run of the shop of `sid`, oldest first. Throws std::runtime_error for a key that
// is not stored.
TextRows HistoryCommand(Store& store, const std::string& sid, const std::string& itemId);

// tarnwick-cli compare OLD_SID NEW_SID [--changed-only] [--xlsx FILE] [--csv FILE]
int RunCompare(const CliArgs& args);
// tarnwick-cli history SID ITEMID
int RunHistory(const CliArgs& args);

}  // namespace tarnwick::cli
