#include "HttpWire.h"

#include <algorithm>
#include <cstdio>

#include "base/Text.h"

namespace marketsim {
namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Splits at LF; a CR before it belongs to the line end.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        if (lf == std::string_view::npos) {
            break;
        }
        text.remove_prefix(lf + 1);
    }
    return lines;
}

bool HasToken(std::string_view list, std::string_view token) {
    while (!list.empty()) {
        std::size_t comma = list.find(',');
        if (tarnwick::EqualsIgnoringAsciiCase(TrimBlanks(list.substr(0, comma)), token)) {
            return true;
        }
        if (comma == std::string_view::npos) {
            break;
        }
        list.remove_prefix(comma + 1);
    }
    return false;
}

}  // namespace

std::size_t FindHeadEnd(std::string_view buffer) {
    std::size_t crlf = buffer.find("\r\n\r\n");
    std::size_t lf = buffer.find("\n\n");
    std::size_t best = std::string_view::npos;
    if (crlf != std::string_view::npos) {
        best = crlf + 4;
    }
    if (lf != std::string_view::npos && (best == std::string_view::npos || lf + 2 < best)) {
        best = lf + 2;
    }
    return best;
}

bool ParseRequestHead(std::string_view head, RequestHead& out) {
    std::vector<std::string_view> lines = Lines(head);
    // Blank lines after the blank line stay with the next request; trailing ones belong here.
    while (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
    }
    if (lines.empty()) {
        return false;
    }
    RequestHead parsed;
    parsed.requestLine = std::string(lines[0]);
    std::string_view line = lines[0];
    std::size_t firstBlank = line.find(' ');
    std::size_t lastBlank = line.rfind(' ');
    if (firstBlank == std::string_view::npos || firstBlank == 0 || lastBlank == firstBlank) {
        return false;
    }
    parsed.method = std::string(line.substr(0, firstBlank));
    // Raw GBK bytes never include a blank, so the target is everything between the first and
    // the last blank; the client escapes blanks in what it sends.
    parsed.target = std::string(line.substr(firstBlank + 1, lastBlank - firstBlank - 1));
    parsed.version = std::string(line.substr(lastBlank + 1));
    if (parsed.target.empty() || parsed.version.rfind("HTTP/", 0) != 0) {
        return false;
    }
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::size_t colon = lines[i].find(':');
        if (colon == std::string_view::npos || colon == 0) {
            return false;
        }
        parsed.headers.emplace_back(std::string(lines[i].substr(0, colon)),
                                    std::string(TrimBlanks(lines[i].substr(colon + 1))));
    }
    out = std::move(parsed);
    return true;
}

std::string HeaderValue(const HeaderList& headers, std::string_view name) {
    for (const auto& [headerName, value] : headers) {
        if (tarnwick::EqualsIgnoringAsciiCase(headerName, name)) {
            return value;
        }
    }
    return {};
}

bool WantsClose(const RequestHead& request) {
    std::string connection = HeaderValue(request.headers, "Connection");
    if (HasToken(connection, "close")) {
        return true;
    }
    if (request.version == "HTTP/1.0") {
        return !HasToken(connection, "keep-alive");
    }
    return false;
}

std::string PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string PercentEncode(std::string_view bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (unsigned char c : bytes) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

bool Target::Has(std::string_view name) const {
    return std::any_of(query.begin(), query.end(), [&](const auto& p) { return p.first == name; });
}

std::string Target::Param(std::string_view name) const {
    for (const auto& [key, value] : query) {
        if (key == name) {
            return value;
        }
    }
    return {};
}

int Target::PageParam(std::string_view name) const {
    std::string text = Param(name);
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return 1;
    }
    int page = std::stoi(text);
    return page < 1 ? 1 : page;
}

Target SplitTarget(std::string_view rawTarget) {
    // A proxy-style absolute target names the same resource as its path.
    if (rawTarget.rfind("http://", 0) == 0) {
        std::size_t slash = rawTarget.find('/', 7);
        rawTarget =
            slash == std::string_view::npos ? std::string_view("/") : rawTarget.substr(slash);
    }
    std::size_t fragment = rawTarget.find('#');
    rawTarget = rawTarget.substr(0, fragment);
    Target target;
    std::size_t question = rawTarget.find('?');
    target.path = std::string(rawTarget.substr(0, question));
    if (question == std::string_view::npos) {
        return target;
    }
    std::string_view query = rawTarget.substr(question + 1);
    while (!query.empty()) {
        std::size_t amp = query.find('&');
        std::string_view pair = query.substr(0, amp);
        if (!pair.empty()) {
            std::size_t equals = pair.find('=');
            std::string name(pair.substr(0, equals));
            std::string value = equals == std::string_view::npos
                                    ? std::string()
                                    : PercentDecode(pair.substr(equals + 1));
            target.query.emplace_back(std::move(name), std::move(value));
        }
        if (amp == std::string_view::npos) {
            break;
        }
        query.remove_prefix(amp + 1);
    }
    return target;
}

const char* ReasonPhrase(int status) {
    static constexpr std::pair<int, const char*> kReasons[] = {
        {100, "Continue"},
        {101, "Switching Protocols"},
        {200, "OK"},
        {201, "Created"},
        {202, "Accepted"},
        {204, "No Content"},
        {206, "Partial Content"},
        {300, "Multiple Choices"},
        {301, "Moved Permanently"},
        {302, "Found"},
        {303, "See Other"},
        {304, "Not Modified"},
        {307, "Temporary Redirect"},
        {308, "Permanent Redirect"},
        {400, "Bad Request"},
        {401, "Unauthorized"},
        {403, "Forbidden"},
        {404, "Not Found"},
        {405, "Method Not Allowed"},
        {407, "Proxy Authentication Required"},
        {408, "Request Timeout"},
        {410, "Gone"},
        {418, "I'm a teapot"},
        {429, "Too Many Requests"},
        {431, "Request Header Fields Too Large"},
        {500, "Internal Server Error"},
        {501, "Not Implemented"},
        {502, "Bad Gateway"},
        {503, "Service Unavailable"},
        {504, "Gateway Timeout"},
    };
    for (const auto& [code, reason] : kReasons) {
        if (code == status) {
            return reason;
        }
    }
    return "Unknown";
}

std::string AnswerHead(int status, std::string_view contentType, std::size_t contentLength,
                       const HeaderList& extraHeaders, bool close) {
    char statusLine[64];
    std::snprintf(statusLine, sizeof statusLine, "HTTP/1.1 %d %s\r\n", status,
                  ReasonPhrase(status));
    std::string head = statusLine;
    head += "Server: marketsim\r\n";
    // 204 and 304 answers carry no body, and saying otherwise would confuse a strict client.
    if (status != 204 && status != 304) {
        if (!contentType.empty()) {
            head += "Content-Type: ";
            head += contentType;
            head += "\r\n";
        }
        head += "Content-Length: " + std::to_string(contentLength) + "\r\n";
    }
    for (const auto& [name, value] : extraHeaders) {
        head += name + ": " + value + "\r\n";
    }
    head += close ? "Connection: close\r\n" : "Connection: keep-alive\r\n";
    head += "\r\n";
    return head;
}

}  // namespace marketsim
