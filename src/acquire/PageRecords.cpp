#include "acquire/PageRecords.h"

#include <algorithm>

#include "acquire/ItemJob.h"

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

}  // namespace tarnwick
