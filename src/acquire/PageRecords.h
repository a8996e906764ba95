#pragma once

#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "acquire/ItemJob.h"
#include "acquire/Run.h"
#include "base/Clock.h"

namespace tarnwick {

// A further page that brings back only records the page before it brought is the same page
// under a new address (a server that ignores the page number, or stamps every answer anew): it
// would be asked again for ever. True for such a page, which is then left unstored and ends
// the series (the job's RepeatedPage says so); otherwise its records become the ones the next
// page is compared with. Page 1 is never a repeat.
bool RepeatsPrevious(ItemJob& job, int pageNumber, const std::vector<std::string>& records);

// A page's records as rows of the job's run and item, each stamped with the time it was made;
// `copy(row, record)` moves the record's own figures into its row.
template <typename Row, typename Record, typename Copy>
std::vector<Row> RowsOfPage(const ItemJob& job, std::vector<Record>& records, Copy copy) {
    std::vector<Row> rows;
    rows.reserve(records.size());
    for (Record& record : records) {
        Row row;
        row.sid = job.run.RunId();
        row.itemid = job.ItemId;
        copy(row, record);
        row.AddTime = job.run.GetClock().Now();
        rows.push_back(std::move(row));
    }
    return rows;
}

// What follows once a page's rows are stored: page 1's first row is the item's newest, so its
// time goes into `newest`; a page whose reading ended part-way then ends the series with that
// reason. Returns how many rows the page stored.
template <typename Row>
int PageStored(const std::vector<Row>& rows, int pageNumber, DateTime Row::*time, DateTime& newest,
               const std::exception_ptr& cutShort) {
    if (!rows.empty() && pageNumber == 1) {
        newest = rows.front().*time;
    }
    if (cutShort) {
        std::rethrow_exception(cutShort);
    }
    return static_cast<int>(rows.size());
}

}  // namespace tarnwick
