#pragma once

#include <exception>
#include <functional>
#include <string>

#include "analysis/AnswerClassifier.h"
#include "fetch/HttpClient.h"

namespace tarnwick {

class Run;

// Thrown out of a worker's work when its run is shut down: nothing more is stored.
class RunAborted : public std::exception {
public:
    const char* what() const noexcept override { return "run shut down"; }
};

// A request the run did not send: it stopped itself (blocked, rate-limited) or was stopped
// while the request waited out a pause. A FetchError, so every reader treats it as a fetch
// that failed; the item stage tells it apart, for the item was never asked for.
class RequestNotSent : public FetchError {
public:
    explicit RequestNotSent(const std::string& why) : FetchError(Kind::Network, why) {}
};

struct FetchedPage {
    std::string raw;                       // the bytes as received (GBK)
    std::string text;                      // decoded to UTF-8
    AnswerClass answer = AnswerClass::Ok;  // as recorded for the run's health
};

// The class a failed fetch is recorded as.
AnswerClass ClassOfFailure(const FetchError& error, const std::vector<std::string>& trail);

// Whether a page's text has the shape its reader relies on; see AnswerClassifier.
using ShapeCheck = std::function<bool(const std::string& text)>;

// A GET on behalf of a run. The address (UTF-8, cut from a page or built by us) goes out in
// the pages' own encoding; a failed fetch is counted for the run's summary and raised as
// FetchError; a shutdown raises RunAborted; after the run's store failed, DatabaseError, which
// the readers let through to the worker's top. Every answer is classified for the run's health
// as a page of `kind`, its shape judged by `shape` when one is given. Once the run has stopped
// itself on being blocked, nothing is sent: the fetch fails at once and is not counted.
// A refusal for our pace (429, or 503 with Retry-After) pauses the whole run and the request is
// sent again after the pause, a few times at most.
FetchedPage FetchPage(Run& run, HttpClient& client, const std::string& address, PageKind kind,
                      const ShapeCheck& shape = nullptr);
// The same for an address already in the pages' encoding (the IM card's, with its GBK nick).
FetchedPage FetchGbkAddress(Run& run, HttpClient& client, const std::string& address, PageKind kind,
                            const ShapeCheck& shape = nullptr);

// A new client for a worker of the run: the run's read time-out, body and fetch-time limits,
// and an abort tied to the run's shutdown.
void PrepareClient(Run& run, HttpClient& client);

}  // namespace tarnwick
