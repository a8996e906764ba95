#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tarnwick {

class Store;

// The reviewers of the given items (sid, item id), in the order first met: items in the given
// order, each item's reviews newest first. Masked nicks (holding "**") are left out and each
// nick is kept once, compared without regard to letter case.
std::vector<std::string> CollectReviewerNicks(
    Store& store, const std::vector<std::pair<std::string, std::string>>& items);

// The file the nicks go to: the chosen name with ".txt" appended, unless it already ends so.
std::string NickFileName(const std::string& chosen);

// One nick per line in GBK, each line ended by CR LF; the file is created or overwritten.
// Throws ExportError when it cannot be written.
void WriteNickFile(const std::string& path, const std::vector<std::string>& nicks);

}  // namespace tarnwick
