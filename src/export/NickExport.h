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

// The nick as one line of the file: every control character (CR and LF among them, C1 too) and
// the Unicode line and paragraph separators become blanks. A nick comes from a page; without
// this, "victim\r\ninjected" would be two lines, two nicks to whoever reads the file.
std::string NickLine(const std::string& nick);

// One nick per line (NickLine) in GBK, each line ended by CR LF; the file is created or
// replaced atomically. Throws ExportError when it cannot be written.
void WriteNickFile(const std::string& path, const std::vector<std::string>& nicks);

}  // namespace tarnwick
