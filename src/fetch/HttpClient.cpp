#include "fetch/HttpClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <mutex>
#include <optional>
#include <string>

#include "base/Text.h"
#include "base/Version.h"

namespace tarnwick {
namespace {

using Clock = std::chrono::steady_clock;

// An error answer's body is read only to keep the connection usable; we do not wait long for it.
constexpr std::chrono::milliseconds kErrorBodyWait{2000};
// A host that never answers the connection attempt must not hang a worker for ever.
constexpr long kConnectTimeoutMs = 30000;

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
            throw FetchError(FetchError::Kind::Network, "curl_global_init failed");
        }
    });
}

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

template <typename T>
void SetOption(CURL* handle, CURLoption option, T value) {
    CURLcode rc = curl_easy_setopt(handle, option, value);
    if (rc != CURLE_OK) {
        throw FetchError(FetchError::Kind::Network,
                         std::string("curl_easy_setopt failed: ") + curl_easy_strerror(rc));
    }
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Header names are compared without case; `lowerName` is given in lower case.
bool IsHeader(std::string_view line, std::string_view lowerName) {
    if (line.size() <= lowerName.size() || line[lowerName.size()] != ':') {
        return false;
    }
    for (std::size_t i = 0; i < lowerName.size(); ++i) {
        char c = line[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != lowerName[i]) {
            return false;
        }
    }
    return true;
}

std::string HeaderValue(std::string_view line) {
    line.remove_prefix(line.find(':') + 1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
        line.remove_prefix(1);
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ')) {
        line.remove_suffix(1);
    }
    return std::string(line);
}

// Retry-After is either whole seconds or an HTTP date; a date in the past asks for no wait.
// Anything else (or a number past a day, which no server means) says nothing we can use.
std::optional<std::chrono::seconds> RetryAfterSeconds(const std::string& value) {
    if (value.empty()) {
        return std::nullopt;
    }
    if (value.find_first_not_of("0123456789") == std::string::npos) {
        if (value.size() > 6) {
            return std::nullopt;
        }
        const long seconds = std::stol(value);
        return seconds > 86400 ? std::nullopt : std::optional(std::chrono::seconds(seconds));
    }
    const time_t at = curl_getdate(value.c_str(), nullptr);
    if (at < 0) {
        return std::nullopt;
    }
    const auto now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    return std::chrono::seconds(std::max<long long>(0, static_cast<long long>(at - now)));
}

// Addresses come out of pages and redirect answers: a "file://" or "gopher://" one must never
// reach libcurl, which would read local files or talk raw bytes to local services.
bool IsWebAddress(std::string_view address) {
    return StartsWithIgnoringAsciiCase(address, "http://") ||
           StartsWithIgnoringAsciiCase(address, "https://");
}

}  // namespace

struct HttpClient::Impl {
    std::unique_ptr<CURL, CurlDeleter> easy;
    std::unique_ptr<curl_slist, SlistDeleter> headers;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    std::chrono::milliseconds readTimeout{60000};
    bool followRedirects = false;
    std::string referer;
    std::string userAgent = HttpClient::DefaultUserAgent();
    std::stop_token abort;
    std::int64_t maxBody = 0;
    std::chrono::milliseconds maxFetch{0};
    std::vector<std::string> trail;

    // State of the fetch under way, over all its redirects.
    Clock::time_point fetchDeadline = Clock::time_point::max();
    // State of the request under way.
    std::string body;
    std::string statusLine;
    std::string retryAfter;  // the last answer's Retry-After header, as sent
    long status = 0;
    Clock::time_point lastData;
    bool timedOut = false;
    bool aborted = false;
    bool overTime = false;
    bool tooLarge = false;
    bool callbackFailed = false;  // an exception was caught inside a callback

    Impl() {
        InitCurlOnce();
        easy.reset(curl_easy_init());
        if (!easy) {
            throw FetchError(FetchError::Kind::Network, "curl_easy_init failed");
        }
        // libcurl would send "Accept: */*"; the marketplace gets what a browser of the day sent.
        curl_slist* list = curl_slist_append(nullptr, "Accept: text/html, */*");
        if (list == nullptr) {
            throw FetchError(FetchError::Kind::Network, "curl_slist_append failed");
        }
        headers.reset(list);

        CURL* h = easy.get();
        SetOption(h, CURLOPT_NOSIGNAL, 1L);  // many clients run on worker threads
        SetOption(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
        SetOption(h, CURLOPT_HTTPHEADER, headers.get());
        SetOption(h, CURLOPT_COOKIEFILE, "");      // an in-memory jar of this client alone
        SetOption(h, CURLOPT_FOLLOWLOCATION, 0L);  // redirects are followed by Get itself
        SetOption(h, CURLOPT_PATH_AS_IS, 1L);      // the path goes out exactly as given
        // Checked by Perform as well; this keeps libcurl itself from ever speaking another.
        SetOption(h, CURLOPT_PROTOCOLS_STR, "http,https");
        SetOption(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        SetOption(h, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
        SetOption(h, CURLOPT_ERRORBUFFER, errorBuffer);
        SetOption(h, CURLOPT_USERAGENT, userAgent.c_str());
        SetOption(h, CURLOPT_WRITEFUNCTION, &Impl::OnBody);
        SetOption(h, CURLOPT_WRITEDATA, this);
        SetOption(h, CURLOPT_HEADERFUNCTION, &Impl::OnHeader);
        SetOption(h, CURLOPT_HEADERDATA, this);
        SetOption(h, CURLOPT_NOPROGRESS, 0L);
        SetOption(h, CURLOPT_XFERINFOFUNCTION, &Impl::OnProgress);
        SetOption(h, CURLOPT_XFERINFODATA, this);
        SetOption(h, CURLOPT_PREREQFUNCTION, &Impl::OnConnected);
        SetOption(h, CURLOPT_PREREQDATA, this);
    }

    // The callbacks run inside libcurl's C frames, which an exception must never cross: they
    // catch everything, and a short count makes libcurl end the transfer.
    static size_t OnBody(char* data, size_t size, size_t count, void* self) noexcept {
        auto* impl = static_cast<Impl*>(self);
        try {
            impl->lastData = Clock::now();
            // The body of a redirect or an error answer is never handed out.
            if (impl->status >= 200 && impl->status < 300) {
                std::size_t n = size * count;
                if (impl->maxBody > 0 &&
                    impl->body.size() + n > static_cast<std::uint64_t>(impl->maxBody)) {
                    impl->tooLarge = true;
                    return 0;
                }
                impl->body.append(data, n);
            }
            return size * count;
        } catch (...) {
            impl->callbackFailed = true;
            return 0;
        }
    }

    static size_t OnHeader(char* data, size_t size, size_t count, void* self) noexcept {
        auto* impl = static_cast<Impl*>(self);
        try {
            impl->lastData = Clock::now();
            std::string_view line(data, size * count);
            if (StartsWith(line, "HTTP/")) {
                while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
                    line.remove_suffix(1);
                }
                impl->statusLine.assign(line);
                impl->status = ParseStatus(line);
                impl->retryAfter.clear();
            } else if (IsHeader(line, "retry-after")) {
                impl->retryAfter = HeaderValue(line);
            }
            return size * count;
        } catch (...) {
            impl->callbackFailed = true;
            return 0;
        }
    }

    static int OnConnected(void* self, char*, char*, int, int) noexcept {
        // The read time-out counts from the moment the request goes out.
        static_cast<Impl*>(self)->lastData = Clock::now();
        return CURL_PREREQFUNC_OK;
    }

    static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) noexcept {
        auto* impl = static_cast<Impl*>(self);
        if (impl->abort.stop_requested()) {
            impl->aborted = true;
            return 1;
        }
        if (Clock::now() > impl->fetchDeadline) {
            impl->overTime = true;
            return 1;
        }
        auto limit = impl->readTimeout;
        if (impl->status >= 300 && limit > kErrorBodyWait) {
            limit = kErrorBodyWait;
        }
        if (Clock::now() - impl->lastData > limit) {
            impl->timedOut = true;
            return 1;
        }
        return 0;
    }

    static long ParseStatus(std::string_view line) {
        // "HTTP/1.1 404 Not Found"
        auto blank = line.find(' ');
        if (blank == std::string_view::npos) {
            return 0;
        }
        long code = 0;
        for (std::size_t i = blank + 1; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
            code = code * 10 + (line[i] - '0');
        }
        return code;
    }

    // One request and its answer; returns the redirect target when the answer is a redirect.
    std::string Perform(const std::string& url) {
        if (abort.stop_requested()) {
            throw FetchError(FetchError::Kind::Aborted, "fetch abandoned: " + url);
        }
        if (!IsWebAddress(url)) {
            throw FetchError(FetchError::Kind::Scheme, "not an http or https address: " + url);
        }
        CURL* h = easy.get();
        body.clear();
        statusLine.clear();
        retryAfter.clear();
        status = 0;
        timedOut = false;
        aborted = false;
        overTime = false;
        tooLarge = false;
        callbackFailed = false;
        errorBuffer[0] = '\0';
        lastData = Clock::now();
        SetOption(h, CURLOPT_URL, url.c_str());

        CURLcode rc = curl_easy_perform(h);
        if (rc != CURLE_OK) {
            if (aborted) {
                throw FetchError(FetchError::Kind::Aborted, "fetch abandoned: " + url);
            }
            if (callbackFailed) {
                throw FetchError(FetchError::Kind::Network, "out of memory reading " + url);
            }
            if (tooLarge || rc == CURLE_FILESIZE_EXCEEDED) {
                throw FetchError(
                    FetchError::Kind::TooLarge,
                    "answer larger than " + std::to_string(maxBody) + " bytes from " + url);
            }
            if (overTime) {
                throw FetchError(
                    FetchError::Kind::Timeout,
                    "fetch not done within " + std::to_string(maxFetch.count()) + " ms: " + url);
            }
            if (rc == CURLE_UNSUPPORTED_PROTOCOL) {
                throw FetchError(FetchError::Kind::Scheme, "not an http or https address: " + url);
            }
            if (timedOut && status >= 300) {
                // The error body stalled; the answer itself is known.
                throw FetchError(FetchError::Kind::Status, statusLine, static_cast<int>(status));
            }
            if (timedOut || rc == CURLE_OPERATION_TIMEDOUT) {
                throw FetchError(
                    FetchError::Kind::Timeout,
                    "no answer within " + std::to_string(readTimeout.count()) + " ms from " + url);
            }
            std::string message = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(rc);
            throw FetchError(FetchError::Kind::Network, message + " (" + url + ")");
        }
        long code = 0;
        if (CURLcode info = curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &code); info != CURLE_OK) {
            throw FetchError(FetchError::Kind::Network,
                             std::string("no status for ") + url + ": " + curl_easy_strerror(info));
        }
        status = code;
        char* location = nullptr;
        if (status >= 300 && status < 400 && status != 304 &&
            curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &location) == CURLE_OK &&
            location != nullptr) {
            return location;
        }
        return {};
    }
};

HttpClient::HttpClient() : m_impl(std::make_unique<Impl>()) {
}

HttpClient::~HttpClient() = default;

const char* HttpClient::DefaultUserAgent() {
    return kUserAgent;
}

void HttpClient::SetReadTimeout(std::int32_t milliseconds) {
    m_impl->readTimeout = std::chrono::milliseconds(milliseconds > 0 ? milliseconds : 1);
}

void HttpClient::SetFollowRedirects(bool follow) {
    m_impl->followRedirects = follow;
}

void HttpClient::SetReferer(std::string_view referer) {
    m_impl->referer.assign(referer);
    SetOption(m_impl->easy.get(), CURLOPT_REFERER,
              m_impl->referer.empty() ? nullptr : m_impl->referer.c_str());
}

void HttpClient::SetUserAgent(std::string_view userAgent) {
    m_impl->userAgent.assign(userAgent);
    SetOption(m_impl->easy.get(), CURLOPT_USERAGENT, m_impl->userAgent.c_str());
}

void HttpClient::SetAbortToken(std::stop_token abort) {
    m_impl->abort = std::move(abort);
}

void HttpClient::SetMaxBodyBytes(std::int64_t bytes) {
    m_impl->maxBody = bytes > 0 ? bytes : 0;
    // An answer that announces its length is refused before its body arrives.
    SetOption(m_impl->easy.get(), CURLOPT_MAXFILESIZE_LARGE,
              static_cast<curl_off_t>(m_impl->maxBody));
}

void HttpClient::SetMaxFetchTime(std::int32_t milliseconds) {
    m_impl->maxFetch = std::chrono::milliseconds(milliseconds > 0 ? milliseconds : 0);
}

const std::vector<std::string>& HttpClient::Trail() const {
    return m_impl->trail;
}

std::string HttpClient::Get(std::string_view address) {
    m_impl->fetchDeadline =
        m_impl->maxFetch.count() > 0 ? Clock::now() + m_impl->maxFetch : Clock::time_point::max();
    std::string url(address);
    m_impl->trail.clear();
    for (int request = 1;; ++request) {
        m_impl->trail.push_back(url);
        std::string location = m_impl->Perform(url);
        long status = m_impl->status;
        if (status >= 200 && status < 300) {
            return status == 204 ? std::string() : std::move(m_impl->body);
        }
        if (!location.empty()) {
            if (!m_impl->followRedirects || request >= kRedirectLimit) {
                m_impl->trail.push_back(location);
            }
            if (!m_impl->followRedirects) {
                throw FetchError(FetchError::Kind::Redirect, m_impl->statusLine,
                                 static_cast<int>(status));
            }
            if (request >= kRedirectLimit) {
                return {};
            }
            url = std::move(location);
            continue;
        }
        FetchError error(FetchError::Kind::Status,
                         m_impl->statusLine.empty() ? "HTTP status " + std::to_string(status)
                                                    : m_impl->statusLine,
                         static_cast<int>(status));
        if (std::optional<std::chrono::seconds> wait = RetryAfterSeconds(m_impl->retryAfter)) {
            error.SetRetryAfter(*wait);
        }
        throw error;
    }
}

}  // namespace tarnwick
