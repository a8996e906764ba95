#pragma once

#include <string>
#include <vector>

namespace tarnwick {

struct ItemJob;

// A further page that brings back only records the page before it brought is the same page
// under a new address (a server that ignores the page number, or stamps every answer anew): it
// would be asked again for ever. True for such a page, which is then left unstored and ends
// the series (the job's RepeatedPage says so); otherwise its records become the ones the next
// page is compared with. Page 1 is never a repeat.
bool RepeatsPrevious(ItemJob& job, int pageNumber, const std::vector<std::string>& records);

}  // namespace tarnwick
