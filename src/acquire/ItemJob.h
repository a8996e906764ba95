#pragma once

#include <string>
#include <vector>

#include "base/DateTime.h"

namespace tarnwick {

class HttpClient;
class Run;
class Store;

// What one item download works with: its own client and connection, and the values
// that its deal-record and review stages leave for the item's row.
struct ItemJob {
    Run& run;
    std::string ItemId;
    HttpClient& client;
    Store& store;
    DateTime LastSellTime;
    DateTime LastCommentTime;
    // The raw text of the further page fetched last, deal-record or review: the review stage
    // goes on with what the deal-record stage left.
    std::string PrevPageText;
    // The records of the page stored last in the current stage, and whether the page saved
    // last was turned away for holding nothing but those records again.
    std::vector<std::string> PrevRecords;
    bool RepeatedPage = false;
};

}  // namespace tarnwick
