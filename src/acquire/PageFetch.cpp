#include "acquire/PageFetch.h"

#include "acquire/Run.h"
#include "fetch/Gbk.h"
#include "store/Database.h"

namespace tarnwick {

AnswerClass ClassOfFailure(const FetchError& error, const std::vector<std::string>& trail) {
    if (error.RateRefusal()) {
        return AnswerClass::RateLimited;
    }
    switch (error.kind()) {
        case FetchError::Kind::Redirect:
        case FetchError::Kind::Scheme: {
            // A client that does not follow redirects, or one sent somewhere it will not go,
            // still tells us where it was sent: an app-scheme login link is still a login.
            AnswerClass destination = ClassifyDestination(trail, {});
            if (destination != AnswerClass::Ok) {
                return destination;
            }
            return error.kind() == FetchError::Kind::Redirect ? AnswerClass::HttpError
                                                              : AnswerClass::Network;
        }
        case FetchError::Kind::Status:
            return AnswerClass::HttpError;
        case FetchError::Kind::Timeout:
            return AnswerClass::Timeout;
        case FetchError::Kind::TooLarge:
            return AnswerClass::TooLarge;
        default:
            return AnswerClass::Network;
    }
}

void PrepareClient(Run& run, HttpClient& client) {
    client.SetReadTimeout(run.Limits().readTimeoutMs);
    client.SetMaxBodyBytes(run.Limits().maxBodyBytes);
    client.SetMaxFetchTime(run.Limits().maxFetchMs);
    client.SetAbortToken(run.ShutdownToken());
}

FetchedPage FetchPage(Run& run, HttpClient& client, const std::string& address, PageKind kind,
                      const ShapeCheck& shape) {
    return FetchGbkAddress(run, client, Utf8ToGbk(address), kind, shape);
}

FetchedPage FetchGbkAddress(Run& run, HttpClient& client, const std::string& address, PageKind kind,
                            const ShapeCheck& shape) {
    for (int retry = 0;; ++retry) {
        if (run.ShuttingDown()) {
            throw RunAborted();
        }
        if (run.StoppedForBlock()) {
            throw RequestNotSent("not sent: the marketplace blocks this run");
        }
        if (run.StoppedForRateLimit()) {
            throw RequestNotSent("not sent: the marketplace refuses this run's pace");
        }
        if (!run.WaitBeforeRequest()) {
            if (run.ShuttingDown()) {
                throw RunAborted();
            }
            throw RequestNotSent("not sent: the run was stopped during a pause");
        }
        // Nothing more can be stored, so nothing more is asked for.
        if (run.StoreFailed()) {
            throw DatabaseError(run.StoreFailure());
        }
        const std::uint64_t ticket = run.RequestSent();
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
            if (error.RateRefusal() && run.RateRefused(ticket, error.retryAfter()) &&
                retry < RateLimitGate::kRetries) {
                continue;
            }
            throw;
        }
        run.RequestAnswered(ticket);
        AnswerClass answer = ClassifyDestination(client.Trail(), page.text);
        if (answer == AnswerClass::Ok && client.Trail().size() > HttpClient::kRedirectLimit) {
            answer = AnswerClass::Network;  // a redirect loop gave up with an empty body
        } else if (answer == AnswerClass::Ok && shape && !shape(page.text)) {
            answer = AnswerClass::Shapeless;
        }
        run.RecordAnswer(kind, answer);
        page.answer = answer;
        return page;
    }
}

}  // namespace tarnwick
