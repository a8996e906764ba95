#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The few pieces of HTTP/1.1 message syntax the sample marketplace needs, kept apart from the
// sockets so that they can be tested on plain strings.
namespace marketsim {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct RequestHead {
    std::string requestLine;  // without its line end
    std::string method;
    std::string target;
    std::string version;  // "HTTP/1.1"
    HeaderList headers;   // names as sent, values without the blanks around them
};

// Where the head of the request at the start of `buffer` ends: the offset just past its blank
// line (CRLF CRLF, or bare LF LF from sloppy clients), or npos while it is incomplete.
std::size_t FindHeadEnd(std::string_view buffer);

// Parses a head up to, not including, its blank line. False for anything that is not
// "METHOD SP TARGET SP HTTP/x.y" followed by "name: value" lines.
bool ParseRequestHead(std::string_view head, RequestHead& out);

// True when the connection must close after this request's answer: "Connection: close", or an
// HTTP/1.0 request without "Connection: keep-alive".
bool WantsClose(const RequestHead& request);

std::string HeaderValue(const HeaderList& headers, std::string_view name);  // first, no case

// "%XX" becomes its byte; everything else, '+' included, stays as it is. A '%' that is not
// followed by two hex digits is kept literally.
std::string PercentDecode(std::string_view text);
// Every byte outside A-Z a-z 0-9 - . _ ~ and '/' written as %XX.
std::string PercentEncode(std::string_view bytes);

// A request target split for routing: the path as sent, the query's parameters with their
// values percent-decoded (names are matched as sent).
struct Target {
    std::string path;
    std::vector<std::pair<std::string, std::string>> query;

    bool Has(std::string_view name) const;
    std::string Param(std::string_view name) const;  // first with that name, or empty
    // The parameter as a page number: 1 when missing or not a positive decimal number.
    int PageParam(std::string_view name) const;
};
Target SplitTarget(std::string_view rawTarget);

const char* ReasonPhrase(int status);

// Status line and headers of an answer, through the blank line.
std::string AnswerHead(int status, std::string_view contentType, std::size_t contentLength,
                       const HeaderList& extraHeaders, bool close);

}  // namespace marketsim
