#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "base/Version.h"
namespace tarnwick {

class HttpClient;

inline constexpr std::int32_t kProgramVersion = kVersionNumber;
inline constexpr const char* kProductName = "tarnwick";

// The version number of `product` in a version list answer ("name=value" lines): the first
// line whose name matches without regard to letter case; 0 when there is none or its value is
// not a whole number of 32 bits or is negative.
std::int32_t ParseVersionAnswer(std::string_view answer, std::string_view product);

// What one check may cost. A version list is a few lines; an endpoint that sends more, or
// trickles, is not one we want to hear from.
struct VersionCheckLimits {
    std::int64_t maxAnswerBytes = 64 * 1024;
    std::chrono::milliseconds maxTime{60'000};  // the whole check, connecting included
};

struct VersionCheckResult {
    // The number, 0 as above, or 1 when the check failed.
    std::int32_t value = 1;
    // Why it failed ("redirect", "HTTP 500", "network", "too large", "timeout", with the
    // transport's message); empty when an answer was read.
    std::string failure;
};

// Asks the endpoint for the product's latest version with the given client.
VersionCheckResult CheckVersion(HttpClient& client, const std::string& endpoint,
                                std::string_view product, const VersionCheckLimits& limits = {});

// The same, the number only: 1 when the check failed (no answer, a redirect, an error status,
// too large, too slow).
std::int32_t CheckLatestVersion(HttpClient& client, const std::string& endpoint,
                                std::string_view product);

// The start-up check on its own thread. The result goes to `notify`, called once on the check's
// thread (the owner marshals it to its own thread). Destroying the object gives up a check
// still under way and waits for its thread (about a second at most); a check given up so
// never calls `notify`. Start runs the check once; later calls do nothing.
class TCheckUpdate {
public:
    TCheckUpdate(std::string endpoint, std::function<void(std::int32_t)> notify);
    ~TCheckUpdate();
    TCheckUpdate(const TCheckUpdate&) = delete;
    TCheckUpdate& operator=(const TCheckUpdate&) = delete;

    void Start();

private:
    std::string m_endpoint;
    std::function<void(std::int32_t)> m_notify;
    std::jthread m_thread;
};

}  // namespace tarnwick
