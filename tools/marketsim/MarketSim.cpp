#include "MarketSim.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <list>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "HttpWire.h"
#include "MarketPages.h"
#include "ShopCatalog.h"
#include "ShopTime.h"
#include "Socket.h"
#include "base/Text.h"
#include "fetch/Gbk.h"

namespace marketsim {

std::string RecordedRequest::Header(std::string_view name) const {
    return HeaderValue(headers, name);
}

bool RecordedRequest::HasHeader(std::string_view name) const {
    return std::any_of(headers.begin(), headers.end(), [&](const auto& header) {
        return tarnwick::EqualsIgnoringAsciiCase(header.first, name);
    });
}

namespace {

// A client that sends more head than this is not one of ours; it is cut off, not buffered.
constexpr std::size_t kMaxHeadBytes = 64 * 1024;
constexpr std::size_t kMaxRequestBody = 1024 * 1024;

enum Kind : std::size_t {
    kCard,
    kList,
    kItem,
    kSold,
    kViews,
    kDeals,
    kReviews,
    kVersion,
    kRedirect,
    kLogin,
    kOther,
    kStats,
    kClock,
    kKindCount
};
constexpr std::array<const char*, kKindCount> kKindNames = {
    "card",    "list",     "item",  "dealquantity", "itemviews", "deals", "reviews",
    "version", "redirect", "login", "other",        "stats",     "clock"};

// Where a shop that shuts us out sends every request.
constexpr const char* kLoginPath = "/member/login.jhtml";

Kind KindOf(std::string_view path) {
    static constexpr std::array<std::pair<std::string_view, Kind>, 11> kPaths = {{
        {kLoginPath, kLogin},
        {"/wangwang/ming_pian_without_avatar.htm", kCard},
        {"/item.htm", kItem},
        {"/dealquantity.htm", kSold},
        {"/itemviews.htm", kViews},
        {"/deal_records.htm", kDeals},
        {"/feedRateList.htm", kReviews},
        {"/version", kVersion},
        {"/redirect", kRedirect},
        {"/_sim/stats", kStats},
        {"/_sim/clock", kClock},
    }};
    for (const auto& [known, kind] : kPaths) {
        if (path == known) {
            return kind;
        }
    }
    // The listing answers under any prefix that ends in "/shop/<key>/".
    return path.find("/shop/") != std::string_view::npos ? kList : kOther;
}

struct Answer {
    int status = 200;
    const char* contentType = "text/html; charset=gbk";
    std::shared_ptr<const std::string> body;
    HeaderList headers;
};

Answer StatusAnswer(int status) {
    std::string code = std::to_string(status) + " " + ReasonPhrase(status);
    Answer answer;
    answer.status = status;
    answer.body = std::make_shared<const std::string>("<html><head><title>" + code +
                                                      "</title></head><body><h1>" + code +
                                                      "</h1></body></html>\n");
    return answer;
}

Answer RedirectAnswer(const std::string& location) {
    Answer answer;
    answer.status = 302;
    answer.headers.emplace_back("Location", location);
    answer.body = std::make_shared<const std::string>(
        "<html><head><title>302 Found</title></head><body>The document has moved <a href=\"" +
        location + "\">here</a>.</body></html>\n");
    return answer;
}

Answer FromPage(const ShopCatalog::Page& page) {
    Answer answer;
    answer.contentType = page.contentType;
    answer.body = page.body;
    if (!page.cookie.empty()) {
        answer.headers.emplace_back("Set-Cookie", page.cookie + "; Path=/");
    }
    return answer;
}

Answer FromPage(const std::optional<ShopCatalog::Page>& page) {
    return page ? FromPage(*page) : StatusAnswer(404);
}

// A count that may be 0: digits only, else 0.
int CountParam(const std::string& text) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    return std::stoi(text);
}

// Writes head and body with one system call where the socket takes it all; MSG_NOSIGNAL so a
// client that went away costs an error, not the process.
bool SendAll(int fd, std::string_view head, std::string_view body) {
    std::array<iovec, 2> parts = {iovec{const_cast<char*>(head.data()), head.size()},
                                  iovec{const_cast<char*>(body.data()), body.size()}};
    std::size_t first = 0;
    while (first < parts.size()) {
        if (parts[first].iov_len == 0) {
            ++first;
            continue;
        }
        msghdr message{};
        message.msg_iov = &parts[first];
        message.msg_iovlen = parts.size() - first;
        ssize_t sent = ::sendmsg(fd, &message, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        auto left = static_cast<std::size_t>(sent);
        while (first < parts.size() && left >= parts[first].iov_len) {
            left -= parts[first].iov_len;
            ++first;
        }
        if (first < parts.size()) {
            parts[first].iov_base = static_cast<char*>(parts[first].iov_base) + left;
            parts[first].iov_len -= left;
        }
    }
    return true;
}

}  // namespace

struct MarketSim::Impl {
    struct Connection {
        Socket socket;
        int number = 0;
        std::thread thread;
        bool done = false;  // guarded by the mutex; the thread has closed its socket
    };

    ShopCatalog catalog;
    std::atomic<int> latencyMs{0};
    // The test clock runs at the real pace, this far ahead of (or behind) the real one.
    std::atomic<std::int64_t> clockOffsetMs{0};
    std::atomic<bool> recording{true};
    std::array<std::atomic<std::uint64_t>, kKindCount> counts{};

    mutable std::mutex mutex;  // everything below
    mutable std::condition_variable requestsChanged;
    mutable std::condition_variable heldChanged;
    std::condition_variable wake;  // stop and release
    std::vector<Fault> faults;
    std::unordered_map<std::string, int> shopRequests;  // by shop key, for the block modes
    RateLimit rateLimit;
    std::deque<std::chrono::steady_clock::time_point> recentArrivals;
    std::chrono::steady_clock::time_point refusingSince{};
    std::chrono::steady_clock::time_point refusingUntil{};
    std::size_t refused = 0;
    std::size_t refusedLate = 0;
    std::string versionAnswer = "tarnwick=206\r\n";
    std::vector<RecordedRequest> requests;
    std::size_t held = 0;
    std::uint64_t releases = 0;
    bool stopping = false;
    std::list<std::unique_ptr<Connection>> connections;
    int connectionCount = 0;
    std::uint16_t port = 0;
    std::string baseUrl = "http://127.0.0.1:0";

    std::mutex lifecycle;  // Start and Stop, which may come from different threads
    bool running = false;
    Socket listener;
    Socket wakeEvent;
    std::thread acceptThread;

    void AcceptLoop();
    void Reap();
    void RunConnection(Connection& connection);
    void Serve(Connection& connection);
    bool Respond(Connection& connection, const RequestHead& request, bool close);
    Answer Route(const Target& target, bool identicalFurtherPages);
    // The shop the request is about, counted; its block answer once it blocks us, else none.
    std::optional<Answer> BlockAnswer(const Target& target, const std::string& rawTarget);
    // The rate limit's refusal, when the request comes too soon after too many.
    std::optional<Answer> RateLimitAnswer(Kind kind);
    bool Send(Connection& connection, const Answer& answer, bool close, bool cutMidBody,
              int trickleMs = 0);
    void Record(const RequestHead& request, int connectionNumber);
    std::optional<Fault> FindFault(const std::string& rawTarget) const;
    bool WaitForRelease();
    bool Pause(int milliseconds);
    void WaitForStop();
    std::string Base() const;
    std::string Stats() const;
    std::string ClockTextNow() const;
};

void MarketSim::Impl::AcceptLoop() {
    for (;;) {
        std::array<pollfd, 2> watched = {pollfd{listener.Get(), POLLIN, 0},
                                         pollfd{wakeEvent.Get(), POLLIN, 0}};
        int ready = ::poll(watched.data(), watched.size(), -1);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (watched[1].revents != 0) {
            return;
        }
        if ((watched[0].revents & POLLIN) == 0) {
            if ((watched[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
                return;
            }
            continue;
        }
        int fd = ::accept4(listener.Get(), nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                // Out of descriptors: the connection stays queued and the listening socket
                // stays ready, so wait for finished connections instead of spinning.
                Reap();
                std::unique_lock lock(mutex);
                if (wake.wait_for(lock, std::chrono::milliseconds(50), [&] { return stopping; })) {
                    return;
                }
            }
            continue;  // EINTR, ECONNABORTED and the like concern that one client only
        }
        Socket socket(fd);
        int one = 1;
        // Small answers on a kept-alive connection must not wait for Nagle's algorithm; if the
        // option cannot be set the connection still works, only slower.
        (void)::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        Reap();
        std::lock_guard lock(mutex);
        if (stopping) {
            return;
        }
        auto connection = std::make_unique<Connection>();
        connection->socket = std::move(socket);
        connection->number = ++connectionCount;
        Connection* raw = connection.get();
        connections.push_back(std::move(connection));
        try {
            raw->thread = std::thread([this, raw] { RunConnection(*raw); });
        } catch (const std::system_error&) {
            // No thread to serve it: the client sees the connection close, the server goes on.
            connections.pop_back();
        }
    }
}

void MarketSim::Impl::Reap() {
    std::list<std::unique_ptr<Connection>> finished;
    {
        std::lock_guard lock(mutex);
        for (auto it = connections.begin(); it != connections.end();) {
            auto next = std::next(it);
            if ((*it)->done) {
                finished.splice(finished.end(), connections, it);
            }
            it = next;
        }
    }
    for (auto& connection : finished) {
        if (connection->thread.joinable()) {
            connection->thread.join();
        }
    }
}

void MarketSim::Impl::RunConnection(Connection& connection) {
    try {
        Serve(connection);
    } catch (const std::exception&) {
        // Out of memory or the like while answering: this connection ends, the others go on.
    }
    std::lock_guard lock(mutex);
    connection.socket.Close();
    connection.done = true;
}

void MarketSim::Impl::Serve(Connection& connection) {
    const int fd = connection.socket.Get();
    std::string buffer;
    // More bytes from the client; false when it closed, failed or the server stops.
    auto receive = [&]() {
        char chunk[16384];
        for (;;) {
            ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return false;
            }
            buffer.append(chunk, static_cast<std::size_t>(n));
            return true;
        }
    };
    auto refuse = [&](int status) {
        Answer answer = StatusAnswer(status);
        (void)SendAll(fd, AnswerHead(status, answer.contentType, answer.body->size(), {}, true),
                      *answer.body);
        connection.socket.ShutdownWrite();
        // Closing with unread bytes would reset the connection and could destroy the answer
        // before the client reads it; take in what is still coming, for a short while.
        std::size_t drained = 0;
        pollfd watched{fd, POLLIN, 0};
        while (drained<kMaxRequestBody&& ::poll(&watched, 1, 500)> 0) {
            buffer.clear();
            if (!receive()) {
                break;
            }
            drained += buffer.size();
        }
    };
    for (;;) {
        // Line ends between requests are tolerated, as HTTP/1.1 asks of a server.
        std::size_t headEnd;
        for (;;) {
            std::size_t start = buffer.find_first_not_of("\r\n");
            buffer.erase(0, start == std::string::npos ? buffer.size() : start);
            headEnd = FindHeadEnd(buffer);
            if (headEnd != std::string::npos) {
                break;
            }
            if (buffer.size() > kMaxHeadBytes) {
                refuse(431);
                return;
            }
            if (!receive()) {
                return;
            }
        }
        RequestHead request;
        bool parsed = ParseRequestHead(std::string_view(buffer).substr(0, headEnd), request);
        buffer.erase(0, headEnd);
        if (!parsed) {
            refuse(400);
            return;
        }
        // A body would otherwise be read as the next request; GET has none, but be safe.
        if (!HeaderValue(request.headers, "Transfer-Encoding").empty()) {
            refuse(501);
            return;
        }
        std::string lengthText = HeaderValue(request.headers, "Content-Length");
        if (!lengthText.empty()) {
            if (lengthText.size() > 7 ||
                lengthText.find_first_not_of("0123456789") != std::string::npos ||
                std::stoul(lengthText) > kMaxRequestBody) {
                refuse(400);
                return;
            }
            std::size_t length = std::stoul(lengthText);
            while (buffer.size() < length) {
                if (!receive()) {
                    return;
                }
            }
            buffer.erase(0, length);
        }
        Record(request, connection.number);
        bool close = WantsClose(request);
        if (!Respond(connection, request, close)) {
            return;
        }
        if (close) {
            connection.socket.ShutdownWrite();
            return;
        }
    }
}

bool MarketSim::Impl::Respond(Connection& connection, const RequestHead& request, bool close) {
    Target target = SplitTarget(request.target);
    Kind kind = KindOf(target.path);
    counts[kind].fetch_add(1, std::memory_order_relaxed);
    if (request.method != "GET") {
        Answer answer = StatusAnswer(405);
        answer.headers.emplace_back("Allow", "GET");
        (void)Send(connection, answer, true, false);
        return false;
    }
    // The hops of a redirect chain and the stats are the server's own; a fault that matched
    // the original target must not match them again.
    std::optional<Fault> fault;
    if (kind != kRedirect && kind != kStats && kind != kClock) {
        fault = FindFault(request.target);
    }
    if (fault && fault->hold && !WaitForRelease()) {
        return false;
    }
    if (fault && fault->stall) {
        WaitForStop();
        return false;
    }
    int wait = latencyMs.load() + (fault ? std::max(fault->delayMs, 0) : 0);
    if (wait > 0 && !Pause(wait)) {
        return false;
    }

    Answer answer;
    if (std::optional<Answer> refused = RateLimitAnswer(kind)) {
        answer = std::move(*refused);
    } else if (std::optional<Answer> blocked = BlockAnswer(target, request.target)) {
        answer = std::move(*blocked);
    } else if (fault && fault->status >= 100 && fault->status < 200) {
        // An interim answer is followed by the real one, as a server that sends
        // "100 Continue" would do.
        std::string interim = "HTTP/1.1 " + std::to_string(fault->status) + " " +
                              ReasonPhrase(fault->status) + "\r\n\r\n";
        if (!SendAll(connection.socket.Get(), interim, {})) {
            return false;
        }
        answer = Route(target, fault->identicalFurtherPages);
    } else if (fault && fault->status >= 200) {
        answer = StatusAnswer(fault->status);
    } else if (fault && !fault->redirectTo.empty()) {
        answer = RedirectAnswer(fault->redirectTo);
    } else if (fault && fault->bodyBytes > 0) {
        answer.contentType = "text/html; charset=gbk";
        answer.body = std::make_shared<const std::string>(fault->bodyBytes, 'x');
    } else if (fault && fault->redirectLoop) {
        answer = RedirectAnswer(request.target.rfind("http://", 0) == 0 ? request.target
                                                                        : Base() + request.target);
    } else if (fault && fault->redirects > 0) {
        answer = RedirectAnswer(Base() + "/redirect?to=" + PercentEncode(request.target) +
                                "&left=" + std::to_string(fault->redirects - 1));
    } else {
        answer = Route(target, fault && fault->identicalFurtherPages);
    }
    return Send(connection, answer, close, fault && fault->closeMidBody,
                fault ? fault->trickleMs : 0);
}

std::optional<Answer> MarketSim::Impl::RateLimitAnswer(Kind kind) {
    if (kind == kCard || kind == kVersion || kind == kStats || kind == kRedirect ||
        kind == kClock) {
        return std::nullopt;
    }
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(mutex);
    if (rateLimit.burst <= 0) {
        return std::nullopt;
    }
    const bool refusing =
        rateLimit.endless ? refusingSince != decltype(refusingSince){} : now < refusingUntil;
    if (!refusing) {
        recentArrivals.push_back(now);
        while (!recentArrivals.empty() &&
               now - recentArrivals.front() > std::chrono::milliseconds(rateLimit.windowMs)) {
            recentArrivals.pop_front();
        }
        if (static_cast<int>(recentArrivals.size()) <= rateLimit.burst) {
            return std::nullopt;
        }
        recentArrivals.clear();
        refusingSince = now;
        refusingUntil = now + std::chrono::milliseconds(rateLimit.refuseForMs);
    }
    ++refused;
    if (now - refusingSince > std::chrono::milliseconds(rateLimit.settleMs)) {
        ++refusedLate;
    }
    Answer answer = StatusAnswer(rateLimit.status);
    if (!rateLimit.retryAfter.empty()) {
        answer.headers.emplace_back("Retry-After", rateLimit.retryAfter);
    }
    return answer;
}

std::optional<Answer> MarketSim::Impl::BlockAnswer(const Target& target,
                                                   const std::string& rawTarget) {
    std::shared_ptr<const Shop> shop;
    const Kind kind = KindOf(target.path);
    switch (kind) {
        case kCard:
            shop = catalog.ShopOfCard(tarnwick::GbkToUtf8(target.Param("nick")));
            break;
        case kList:
            shop = catalog.ShopOfListing(target.path);
            break;
        case kItem:
        case kSold:
        case kViews:
        case kReviews:
            shop = catalog.ShopOfItem(target.Param(kind == kReviews ? "itemId" : "id"));
            break;
        case kDeals:
            shop = catalog.ShopOfItem(target.Param("item_id"));
            break;
        default:
            break;
    }
    if (!shop || shop->blockMode == Shop::BlockMode::None) {
        return std::nullopt;
    }
    {
        std::lock_guard lock(mutex);
        if (++shopRequests[shop->key] <= shop->blockAfter) {
            return std::nullopt;
        }
    }
    switch (shop->blockMode) {
        case Shop::BlockMode::LoginRedirect:
            return RedirectAnswer(Base() + kLoginPath + "?redirectURL=" + PercentEncode(rawTarget));
        case Shop::BlockMode::VerificationPage: {
            Answer answer;
            answer.body = std::make_shared<const std::string>(
                tarnwick::Utf8ToGbk(pages::VerificationPage(Base())));
            return answer;
        }
        case Shop::BlockMode::ItemNewDesign:
            if (kind == kItem) {
                return FromPage(catalog.ItemPageNewDesign(target.Param("id")));
            }
            return std::nullopt;
        case Shop::BlockMode::ListingWithoutSection:
            if (kind == kList) {
                return FromPage(
                    catalog.ItemListWithoutSection(target.path, target.PageParam("pageNum")));
            }
            return std::nullopt;
        case Shop::BlockMode::None:
            break;
    }
    return std::nullopt;
}

Answer MarketSim::Impl::Route(const Target& target, bool identicalFurtherPages) {
    const std::string& path = target.path;
    // With identical further pages, every page from 2 on is rendered as page 2 itself, so the
    // bytes match exactly, its page number included.
    auto further = [&](int page) { return identicalFurtherPages && page > 2 ? 2 : page; };
    switch (KindOf(path)) {
        case kCard:
            // The nick arrives as GBK bytes, partly percent-encoded; shops are kept in UTF-8.
            return FromPage(catalog.Card(tarnwick::GbkToUtf8(target.Param("nick"))));
        case kItem:
            return FromPage(catalog.ItemPage(target.Param("id")));
        case kSold:
            return FromPage(catalog.DealQuantity(target.Param("id")));
        case kViews:
            return FromPage(catalog.ItemViews(target.Param("id")));
        case kDeals:
            return FromPage(catalog.DealRecords(target.Param("item_id"),
                                                further(target.PageParam("bid_page"))));
        case kReviews:
            return FromPage(
                catalog.Reviews(target.Param("itemId"), further(target.PageParam("currentPage"))));
        case kVersion: {
            Answer answer;
            answer.contentType = "text/plain; charset=gbk";
            std::lock_guard lock(mutex);
            answer.body = std::make_shared<const std::string>(versionAnswer);
            return answer;
        }
        case kRedirect: {
            std::string to = target.Param("to");
            if (to.empty() || to.front() != '/') {
                return StatusAnswer(400);
            }
            int left = CountParam(target.Param("left"));
            if (left > 0) {
                return RedirectAnswer(Base() + "/redirect?to=" + PercentEncode(to) +
                                      "&left=" + std::to_string(left - 1));
            }
            Target original = SplitTarget(to);
            if (KindOf(original.path) == kRedirect) {
                return StatusAnswer(400);
            }
            return Route(original, false);
        }
        case kStats: {
            Answer answer;
            answer.contentType = "text/plain; charset=utf-8";
            answer.body = std::make_shared<const std::string>(Stats());
            return answer;
        }
        case kClock: {
            Answer answer;
            answer.contentType = "text/plain; charset=utf-8";
            answer.body = std::make_shared<const std::string>(ClockTextNow());
            return answer;
        }
        case kList:
            return FromPage(catalog.ItemList(path, target.PageParam("pageNum")));
        case kLogin: {
            Answer answer;
            answer.body =
                std::make_shared<const std::string>(tarnwick::Utf8ToGbk(pages::LoginPage(Base())));
            return answer;
        }
        default:
            return StatusAnswer(404);
    }
}

bool MarketSim::Impl::Send(Connection& connection, const Answer& answer, bool close,
                           bool cutMidBody, int trickleMs) {
    std::string_view body = answer.body ? std::string_view(*answer.body) : std::string_view();
    if (answer.status == 204 || answer.status == 304) {
        body = {};
    }
    std::string head =
        AnswerHead(answer.status, answer.contentType, body.size(), answer.headers, close);
    if (trickleMs > 0) {
        // Never silent for long, never done: a byte, a pause, another byte.
        std::string whole = head + std::string(body);
        for (char c : whole) {
            if (!SendAll(connection.socket.Get(), std::string_view(&c, 1), {}) ||
                !Pause(trickleMs)) {
                return false;
            }
        }
        return true;
    }
    if (cutMidBody) {
        // The head promises the whole body; the connection ends halfway through it.
        (void)SendAll(connection.socket.Get(), head, body.substr(0, body.size() / 2));
        connection.socket.Shutdown();
        return false;
    }
    return SendAll(connection.socket.Get(), head, body);
}

void MarketSim::Impl::Record(const RequestHead& request, int connectionNumber) {
    if (!recording.load()) {
        return;
    }
    RecordedRequest recorded;
    recorded.requestLine = request.requestLine;
    recorded.target = request.target;
    recorded.headers = request.headers;
    recorded.connection = connectionNumber;
    std::lock_guard lock(mutex);
    requests.push_back(std::move(recorded));
    requestsChanged.notify_all();
}

std::optional<Fault> MarketSim::Impl::FindFault(const std::string& rawTarget) const {
    std::lock_guard lock(mutex);
    for (const Fault& fault : faults) {
        if (rawTarget.find(fault.match) != std::string::npos) {
            return fault;
        }
    }
    return std::nullopt;
}

bool MarketSim::Impl::WaitForRelease() {
    std::unique_lock lock(mutex);
    // Only a release after this request arrived lets it go; later requests wait for the next.
    const std::uint64_t seen = releases;
    ++held;
    heldChanged.notify_all();
    wake.wait(lock, [&] { return stopping || releases != seen; });
    --held;
    heldChanged.notify_all();
    return !stopping;
}

bool MarketSim::Impl::Pause(int milliseconds) {
    std::unique_lock lock(mutex);
    return !wake.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return stopping; });
}

void MarketSim::Impl::WaitForStop() {
    std::unique_lock lock(mutex);
    wake.wait(lock, [&] { return stopping; });
}

std::string MarketSim::Impl::Base() const {
    std::lock_guard lock(mutex);
    return baseUrl;
}

std::string MarketSim::Impl::Stats() const {
    std::uint64_t total = 0;
    std::string lines;
    for (std::size_t kind = 0; kind < kStats; ++kind) {
        std::uint64_t count = counts[kind].load(std::memory_order_relaxed);
        total += count;
        lines += std::string(kKindNames[kind]) + " " + std::to_string(count) + "\n";
    }
    return "total " + std::to_string(total) + "\n" + lines;
}

std::string MarketSim::Impl::ClockTextNow() const {
    using namespace std::chrono;
    const std::int64_t ms =
        duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count() +
        clockOffsetMs.load();
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    char text[8];
    std::snprintf(text, sizeof text, ".%03d", static_cast<int>(ms % 1000));
    return TimeText(seconds) + text;
}

MarketSim::MarketSim() : m_impl(std::make_unique<Impl>()) {
}

MarketSim::~MarketSim() {
    Stop();
}

void MarketSim::AddShop(Shop shop) {
    {
        // A shop added again starts its count afresh, so a test can let it block once more.
        std::lock_guard lock(m_impl->mutex);
        m_impl->shopRequests.erase(shop.key);
    }
    m_impl->catalog.AddShop(std::move(shop));
}

void MarketSim::AddFault(Fault fault) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->faults.push_back(std::move(fault));
}

void MarketSim::SetRateLimit(RateLimit limit) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->rateLimit = std::move(limit);
    m_impl->recentArrivals.clear();
    m_impl->refusingSince = {};
    m_impl->refusingUntil = {};
}

std::size_t MarketSim::RefusedCount() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->refused;
}

std::size_t MarketSim::RefusedLate() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->refusedLate;
}

void MarketSim::ClearFaults() {
    std::lock_guard lock(m_impl->mutex);
    m_impl->faults.clear();
}

void MarketSim::SetVersionAnswer(std::string body) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->versionAnswer = std::move(body);
}

void MarketSim::SetClock(std::time_t localTime) {
    using namespace std::chrono;
    const std::int64_t now =
        duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    m_impl->clockOffsetMs = static_cast<std::int64_t>(localTime) * 1000 - now;
}

void MarketSim::AdvanceClock(std::chrono::seconds by) {
    m_impl->clockOffsetMs += duration_cast<std::chrono::milliseconds>(by).count();
}

std::string MarketSim::ClockText() const {
    return m_impl->ClockTextNow();
}

void MarketSim::SetLatency(int milliseconds) {
    m_impl->latencyMs = std::max(milliseconds, 0);
}

void MarketSim::ReleaseHolds() {
    std::lock_guard lock(m_impl->mutex);
    ++m_impl->releases;
    m_impl->wake.notify_all();
}

std::uint16_t MarketSim::Start(std::uint16_t port) {
    Impl& d = *m_impl;
    std::lock_guard life(d.lifecycle);
    if (d.running) {
        throw std::logic_error("marketsim: Start called while the server runs");
    }
    auto fail = [](const std::string& what) {
        throw std::system_error(errno, std::generic_category(), "marketsim: " + what);
    };
    Socket listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!listener.IsOpen()) {
        fail("socket");
    }
    int one = 1;
    if (::setsockopt(listener.Get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) != 0) {
        fail("setsockopt SO_REUSEADDR");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        fail("bind 127.0.0.1:" + std::to_string(port));
    }
    if (::listen(listener.Get(), SOMAXCONN) != 0) {
        fail("listen");
    }
    socklen_t length = sizeof address;
    if (::getsockname(listener.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        fail("getsockname");
    }
    Socket wakeEvent(::eventfd(0, EFD_CLOEXEC));
    if (!wakeEvent.IsOpen()) {
        fail("eventfd");
    }
    std::string base;
    {
        std::lock_guard lock(d.mutex);
        d.port = ntohs(address.sin_port);
        d.baseUrl = "http://127.0.0.1:" + std::to_string(d.port);
        base = d.baseUrl;
        d.stopping = false;
        d.connectionCount = 0;
    }
    for (auto& count : d.counts) {
        count = 0;
    }
    d.catalog.SetBaseUrl(base);
    d.listener = std::move(listener);
    d.wakeEvent = std::move(wakeEvent);
    d.acceptThread = std::thread([&d] { d.AcceptLoop(); });
    d.running = true;
    return ntohs(address.sin_port);
}

void MarketSim::Stop() {
    Impl& d = *m_impl;
    std::lock_guard life(d.lifecycle);
    if (!d.running) {
        return;
    }
    {
        std::lock_guard lock(d.mutex);
        d.stopping = true;
        for (auto& connection : d.connections) {
            connection->socket.Shutdown();
        }
        d.wake.notify_all();
        d.heldChanged.notify_all();
    }
    std::uint64_t one = 1;
    if (::write(d.wakeEvent.Get(), &one, sizeof one) != static_cast<ssize_t>(sizeof one)) {
        // Linux also wakes a poll on a listening socket that is shut down.
        d.listener.Shutdown();
    }
    d.acceptThread.join();
    std::list<std::unique_ptr<Impl::Connection>> remaining;
    {
        std::lock_guard lock(d.mutex);
        remaining.swap(d.connections);
    }
    for (auto& connection : remaining) {
        if (connection->thread.joinable()) {
            connection->thread.join();
        }
    }
    d.listener.Close();
    d.wakeEvent.Close();
    d.running = false;
}

std::uint16_t MarketSim::Port() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->port;
}

std::string MarketSim::BaseUrl() const {
    return m_impl->Base();
}

std::vector<RecordedRequest> MarketSim::Requests() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->requests;
}

void MarketSim::ClearRequests() {
    std::lock_guard lock(m_impl->mutex);
    m_impl->requests.clear();
}

void MarketSim::SetRecordRequests(bool record) {
    m_impl->recording = record;
}

std::string MarketSim::StatsText() const {
    return m_impl->Stats();
}

bool MarketSim::WaitFor(const std::function<bool(const std::vector<RecordedRequest>&)>& predicate,
                        std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_impl->mutex);
    return m_impl->requestsChanged.wait_for(lock, timeout,
                                            [&] { return predicate(m_impl->requests); });
}

std::size_t MarketSim::HeldCount() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->held;
}

bool MarketSim::WaitForHeld(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_impl->mutex);
    return m_impl->heldChanged.wait_for(lock, timeout, [&] { return m_impl->held >= count; });
}

}  // namespace marketsim
