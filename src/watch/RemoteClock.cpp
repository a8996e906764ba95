#include "watch/RemoteClock.h"

#include <stdexcept>

#include "base/Text.h"
#include "fetch/HttpClient.h"

namespace tarnwick {

RemoteClock RemoteClock::Read(const std::string& url) {
    HttpClient client;
    client.SetReadTimeout(10'000);
    client.SetMaxBodyBytes(256);
    const std::string answer = Trim(client.Get(url));
    try {
        const DateTime remote = DateTime::FromText(answer);
        return RemoteClock(remote.Days() - DateTime::Now().Days());
    } catch (const InvalidDateTime&) {
        throw std::runtime_error("the clock at " + url + " did not answer with a time");
    }
}

DateTime RemoteClock::Now() const {
    return DateTime(DateTime::Now().Days() + m_offsetDays);
}

}  // namespace tarnwick
