#include "acquire/PageRecords.h"

#include <algorithm>

#include "acquire/ItemJob.h"
#include "fetch/RecordMatcher.h"

namespace tarnwick {

bool RepeatsPrevious(ItemJob& job, int pageNumber, const std::vector<std::string>& records) {
    bool repeats = pageNumber > 1 && !records.empty() &&
                   std::all_of(records.begin(), records.end(), [&](const std::string& record) {
                       return std::find(job.PrevRecords.begin(), job.PrevRecords.end(), record) !=
                              job.PrevRecords.end();
                   });
    job.RepeatedPage = repeats;
    if (!repeats) {
        job.PrevRecords = records;
    }
    return repeats;
}

std::vector<std::string> CutRecords(ItemJob& job, std::string text, const char* pattern) {
    job.matcher.SetSubject(std::move(text));
    job.matcher.SetPattern(pattern);
    std::vector<std::string> records;
    while (job.matcher.FindNext()) {
        records.push_back(job.matcher.MatchedText());
    }
    return records;
}

}  // namespace tarnwick
