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

struct FetchedPage {
    std::string raw;   // the bytes as received (GBK)
    std::string text;  // decoded to UTF-8
};

// Whether a page's text has the shape its reader relies on; see AnswerClassifier.
using ShapeCheck = std::function<bool(const std::string& text)>;

// A GET on behalf of a run. The address (UTF-8, cut from a page or built by us) goes out in
// the pages' own encoding; a failed fetch is counted for the run's summary and raised as
// FetchError; a shutdown raises RunAborted; after the run's store failed, DatabaseError, which
// the readers let through to the worker's top. Every answer is classified for the run's health
// as a page of `kind`, its shape judged by `shape` when one is given. Once the run has stopped
// itself on being blocked, nothing is sent: the fetch fails at once and is not counted.
FetchedPage FetchPage(Run& run, HttpClient& client, const std::string& address, PageKind kind,
                      const ShapeCheck& shape = nullptr);
// The same for an address already in the pages' encoding (the IM card's, with its GBK nick).
FetchedPage FetchGbkAddress(Run& run, HttpClient& client, const std::string& address, PageKind kind,
                            const ShapeCheck& shape = nullptr);

// A new client for a worker of the run: the run's read time-out, body and fetch-time limits,
// and an abort tied to the run's shutdown.
void PrepareClient(Run& run, HttpClient& client);

}  // namespace tarnwick
