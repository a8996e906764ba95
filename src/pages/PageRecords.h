#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick {

class RecordMatcher;

// The records of a page: the successive matches of the matcher's pattern over `text`, in text
// order. Throws MatchError when the search gives up part-way, so that no page is read as
// shorter than it is. The matcher lets go of the text afterwards.
std::vector<std::string> CutRecords(RecordMatcher& matcher, std::string text,
                                    std::string_view pattern);

}  // namespace tarnwick
