#include "acquire/PageFetch.h"

#include "acquire/Run.h"
#include "fetch/Gbk.h"
#include "store/Database.h"

namespace tarnwick {

void PrepareClient(Run& run, HttpClient& client) {
    client.SetReadTimeout(run.Limits().readTimeoutMs);
    client.SetMaxBodyBytes(run.Limits().maxBodyBytes);
    client.SetMaxFetchTime(run.Limits().maxFetchMs);
    client.SetAbortToken(run.ShutdownToken());
}

FetchedPage FetchPage(Run& run, HttpClient& client, const std::string& address) {
    if (run.ShuttingDown()) {
        throw RunAborted();
    }
    // Nothing more can be stored, so nothing more is asked for.
    if (run.StoreFailed()) {
        throw DatabaseError(run.StoreFailure());
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
