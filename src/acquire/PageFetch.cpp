#include "acquire/PageFetch.h"

#include "acquire/Run.h"
#include "fetch/Gbk.h"

namespace tarnwick {

namespace {
constexpr std::int32_t kReadTimeoutMs = 60000;

AnswerClass ClassOfFailure(const FetchError& error, const std::vector<std::string>& trail) {
    switch (error.kind()) {
        case FetchError::Kind::Redirect: {
            // A client that does not follow redirects still tells us where it was sent.
            AnswerClass destination = ClassifyDestination(trail, {});
            return destination == AnswerClass::Ok ? AnswerClass::HttpError : destination;
        }
        case FetchError::Kind::Status:
            return AnswerClass::HttpError;
        case FetchError::Kind::Timeout:
            return AnswerClass::Timeout;
        default:
            return AnswerClass::Network;
    }
}

}  // namespace

void PrepareClient(Run& run, HttpClient& client) {
    client.SetReadTimeout(kReadTimeoutMs);
    client.SetAbortToken(run.ShutdownToken());
}

FetchedPage FetchPage(Run& run, HttpClient& client, const std::string& address, PageKind kind,
                      const ShapeCheck& shape) {
    return FetchGbkAddress(run, client, Utf8ToGbk(address), kind, shape);
}

FetchedPage FetchGbkAddress(Run& run, HttpClient& client, const std::string& address, PageKind kind,
                            const ShapeCheck& shape) {
    if (run.ShuttingDown()) {
        throw RunAborted();
    }
    if (run.StoppedForBlock()) {
        throw FetchError(FetchError::Kind::Network, "not sent: the marketplace blocks this run");
    }
    run.WaitBeforeRequest();
    if (run.ShuttingDown()) {
        throw RunAborted();
    }
    run.CountRequest();
    FetchedPage page;
    try {
        page.raw = client.Get(address);
        page.text = GbkToUtf8(page.raw);
    } catch (const FetchError& error) {
        if (error.kind() == FetchError::Kind::Aborted || run.ShuttingDown()) {
            throw RunAborted();
        }
        run.CountFailedFetch(error);
        run.RecordAnswer(kind, ClassOfFailure(error, client.Trail()));
        throw;
    }
    AnswerClass answer = ClassifyDestination(client.Trail(), page.text);
    if (answer == AnswerClass::Ok && client.Trail().size() > HttpClient::kRedirectLimit) {
        answer = AnswerClass::Network;  // a redirect loop gave up with an empty body
    } else if (answer == AnswerClass::Ok && shape && !shape(page.text)) {
        answer = AnswerClass::Shapeless;
    }
    run.RecordAnswer(kind, answer);
    return page;
}

}  // namespace tarnwick
