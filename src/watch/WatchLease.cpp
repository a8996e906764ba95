#include "watch/WatchLease.h"

#include <unistd.h>

#include <random>

namespace tarnwick {

bool LeaseFree(const std::optional<Lease>& lease, std::string_view holder, DateTime now) {
    return !lease || lease->expires <= now || lease->holder == holder;
}

std::string NewLeaseHolder() {
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) {
        host[0] = '\0';
    }
    // The process id alone repeats across machines and reboots; the random part does not.
    std::random_device entropy;
    const unsigned long long random =
        (static_cast<unsigned long long>(entropy()) << 32) ^ entropy();
    return std::string(host) + ":" + std::to_string(getpid()) + ":" + std::to_string(random);
}

}  // namespace tarnwick
