#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "base/DateTime.h"

namespace tarnwick {

// A watch is claimed in the store while a runner analyses it, so that two runners (the desktop
// program and a timer, or two machines on one server) never analyse it at once. The claim
// expires unless its holder renews it, so a runner that died frees its watches after a while.
struct LeasePolicy {
    // Long enough that a busy machine renews in time, short enough that a watch whose runner
    // was killed is picked up again within the hour.
    std::chrono::milliseconds duration{std::chrono::minutes(15)};
    std::chrono::milliseconds renewEvery{std::chrono::minutes(5)};
};

struct Lease {
    std::string holder;
    DateTime expires;
};

// Whether `holder` may take the watch now: nobody holds it, the holder's lease has run out
// (it expires at the moment named), or `holder` holds it already.
bool LeaseFree(const std::optional<Lease>& lease, std::string_view holder, DateTime now);

// A name for this runner that no other running one shares: host, process and a random part.
std::string NewLeaseHolder();

}  // namespace tarnwick
