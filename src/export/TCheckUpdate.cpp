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

std::string FailureText(const FetchError& error) {
    switch (error.kind()) {
        case FetchError::Kind::Status:
            return "HTTP " + std::to_string(error.status());
        case FetchError::Kind::Redirect:
            return "redirect";
        case FetchError::Kind::Timeout:
            return "timeout";
        case FetchError::Kind::Network:
            return "network";
        case FetchError::Kind::TooLarge:
            return "too large";
        case FetchError::Kind::Scheme:
            return "scheme";
        case FetchError::Kind::Aborted:
            return "aborted";
    }
    return "failed";
}

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
                // A negative version names no release; were it taken as a number it would only
                // ever compare as older.
                const std::int32_t value = WholeNumber(line.substr(equals + 1));
                return value < 0 ? 0 : value;
            }
        }
        // A CR LF pair is one line end; the empty line between them would match nothing anyway.
        start = end + 1;
    }
    return 0;
}

VersionCheckResult CheckVersion(HttpClient& client, const std::string& endpoint,
                                std::string_view product, const VersionCheckLimits& limits) {
    client.SetReadTimeout(kReadTimeoutMs);
    client.SetMaxBodyBytes(limits.maxAnswerBytes);
    client.SetMaxFetchTime(static_cast<std::int32_t>(limits.maxTime.count()));
    // The endpoint is ours: a redirect means it moved or is being intercepted, so the answer
    // behind it is not trusted.
    client.SetFollowRedirects(false);
    VersionCheckResult result;
    try {
        result.value =
            ParseVersionAnswer(client.Get(endpoint + "?softname=" + std::string(product)), product);
    } catch (const FetchError& error) {
        result.value = kCheckFailed;
        result.failure = FailureText(error);
        const std::string detail = error.what();
        if (!detail.empty() && detail != result.failure) {
            result.failure += " (" + detail + ")";
        }
    }
    return result;
}

std::int32_t CheckLatestVersion(HttpClient& client, const std::string& endpoint,
                                std::string_view product) {
    return CheckVersion(client, endpoint, product).value;
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
