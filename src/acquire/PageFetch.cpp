#include "acquire/PageFetch.h"

#include "acquire/Run.h"
#include "fetch/Gbk.h"

namespace tarnwick {

namespace {
constexpr std::int32_t kReadTimeoutMs = 60000;
}

void PrepareClient(Run& run, HttpClient& client) {
    client.SetReadTimeout(kReadTimeoutMs);
    client.SetAbortToken(run.ShutdownToken());
}

FetchedPage FetchPage(Run& run, HttpClient& client, const std::string& address) {
    if (run.ShuttingDown()) {
        throw RunAborted();
    }
    run.CountRequest();
    try {
        FetchedPage page;
        page.raw = client.Get(Utf8ToGbk(address));
        page.text = GbkToUtf8(page.raw);
        return page;
    } catch (const FetchError& error) {
        if (error.kind() == FetchError::Kind::Aborted || run.ShuttingDown()) {
            throw RunAborted();
        }
        run.CountFailedFetch(error);
        throw;
    }
}

}  // namespace tarnwick
