#pragma once

#include <exception>
#include <string>

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

// A GET on behalf of a run. The address (UTF-8, cut from a page or built by us) goes out in
// the pages' own encoding; a failed fetch is counted for the run's summary and raised as
// FetchError; a shutdown raises RunAborted; after the run's store failed, DatabaseError, which
// the readers let through to the worker's top.
FetchedPage FetchPage(Run& run, HttpClient& client, const std::string& address);

// A new client for a worker of the run: the run's read time-out, body and fetch-time limits,
// and an abort tied to the run's shutdown.
void PrepareClient(Run& run, HttpClient& client);

}  // namespace tarnwick
