#include "pages/PageRecords.h"

#include "fetch/RecordMatcher.h"

namespace tarnwick {

std::vector<std::string> CutRecords(RecordMatcher& matcher, std::string text,
                                    std::string_view pattern) {
    matcher.SetSubject(std::move(text));
    matcher.SetPattern(pattern);
    std::vector<std::string> records;
    while (matcher.FindNext()) {
        records.push_back(matcher.MatchedText());
    }
    matcher.SetSubject({});
    return records;
}

}  // namespace tarnwick
