#include "export/TCheckUpdate.h"

#include <exception>
#include <utility>

#include "base/Text.h"
#include "fetch/HttpClient.h"
#include "fetch/TextTools.h"

namespace tarnwick {
namespace {

constexpr std::int32_t kCheckFailed = 1;
constexpr std::int32_t kReadTimeoutMs = 60000;

}  // namespace

std::int32_t ParseVersionAnswer(std::string_view answer, std::string_view product) {
    std::size_t start = 0;
    while (start < answer.size()) {
        std::size_t end = answer.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            end = answer.size();
        }
        const std::string_view line = answer.substr(start, end - start);
        if (auto equals = line.find('='); equals != std::string_view::npos) {
            if (EqualsIgnoringAsciiCase(line.substr(0, equals), product)) {
                return WholeNumber(line.substr(equals + 1));
            }
        }
        // A CR LF pair is one line end; the empty line between them would match nothing anyway.
        start = end + 1;
    }
    return 0;
}

std::int32_t CheckLatestVersion(HttpClient& client, const std::string& endpoint,
                                std::string_view product) {
    client.SetReadTimeout(kReadTimeoutMs);
    // The endpoint is ours: a redirect means it moved or is being intercepted, so the answer
    // behind it is not trusted.
    client.SetFollowRedirects(false);
    try {
        return ParseVersionAnswer(client.Get(endpoint + "?softname=" + std::string(product)),
                                  product);
    } catch (const FetchError&) {
        return kCheckFailed;
    }
}

TCheckUpdate::TCheckUpdate(std::string endpoint, std::function<void(std::int32_t)> notify)
    : m_endpoint(std::move(endpoint)), m_notify(std::move(notify)) {
}

TCheckUpdate::~TCheckUpdate() {
    if (m_thread.joinable()) {
        m_thread.request_stop();
        m_thread.join();
    }
}

void TCheckUpdate::Start() {
    if (m_thread.joinable()) {
        return;  // one check per object
    }
    m_thread = std::jthread([this](std::stop_token stop) {
        std::int32_t result = kCheckFailed;
        try {
            HttpClient client;
            client.SetAbortToken(stop);
            result = CheckLatestVersion(client, m_endpoint, kProductName);
        } catch (const std::exception&) {
            // Whatever went wrong, the check stays silent: the program simply has no news.
            result = kCheckFailed;
        }
        // A check given up because the owner is going away reports nothing: its 1 would only
        // say that it was interrupted, and the owner is no longer listening.
        if (stop.stop_requested()) {
            return;
        }
        try {
            m_notify(result);
        } catch (const std::exception&) {
            // Nothing may leave a thread; the owner's handler had its one chance.
        }
    });
}

}  // namespace tarnwick
