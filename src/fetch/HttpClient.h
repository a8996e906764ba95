#pragma once

#include <cstdint>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "fetch/FetchError.h"

namespace tarnwick {

// One HTTP/1.1 client per worker thread, used by that thread alone. Settings stay in force for
// every later request; the connection to a host is kept and reused; cookies received are kept
// in memory per host and sent back by this client only.
class HttpClient {
public:
    static constexpr int kRedirectLimit = 15;  // requests in one fetch, the first included

    HttpClient();
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    void SetReadTimeout(std::int32_t milliseconds);
    void SetFollowRedirects(bool follow);
    void SetReferer(std::string_view referer);  // empty: no Referer header
    void SetUserAgent(std::string_view userAgent);
    // Once a stop is requested on the token, a fetch under way gives up within about a second
    // and raises FetchError of kind Aborted. Used only to end the program quickly; a user's
    // stop lets the fetch under way finish.
    void SetAbortToken(std::stop_token abort);
    // A body larger than this fails the fetch as TooLarge; 0: no limit (the default).
    void SetMaxBodyBytes(std::int64_t bytes);
    // One Get, its redirects included, fails as Timeout after this long in all, however
    // steadily data arrives; 0: no limit (the default).
    void SetMaxFetchTime(std::int32_t milliseconds);

    // GET of an absolute address whose path and query go on the request line exactly as
    // given. Returns the body as the bytes received; raises FetchError. Only http and https
    // addresses are fetched, redirect targets included: any other scheme fails as Scheme
    // before anything is sent.
    std::string Get(std::string_view address);

    // The addresses the last Get asked for, in order: the address given, every redirect target
    // followed, and last the target of a redirect that ended the fetch unfollowed. Tells where
    // the marketplace sent us, success or failure.
    const std::vector<std::string>& Trail() const;

    static const char* DefaultUserAgent();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace tarnwick
