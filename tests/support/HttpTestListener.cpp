#include "support/HttpTestListener.h"

#include <strings.h>

namespace tarnwick::test {

std::string HttpTestListener::Request::Header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (strcasecmp(key.c_str(), name.c_str()) == 0) {
            return value;
        }
    }
    return "";
}

HttpTestListener::HttpTestListener()
    : m_server(std::make_unique<LoopbackServer>([this](Connection& c) { Serve(c); })) {
}

std::string HttpTestListener::Url(const std::string& target) const {
    return "http://127.0.0.1:" + std::to_string(m_server->Port()) + target;
}

void HttpTestListener::QueueAnswer(int status, std::string body) {
    std::lock_guard lock(m_mutex);
    m_answers.emplace_back(status, std::move(body));
}

std::vector<HttpTestListener::Request> HttpTestListener::Requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void HttpTestListener::Serve(Connection& connection) {
    Request request;
    std::string line;
    if (!connection.ReadLine(line)) {
        return;
    }
    const std::size_t first = line.find(' ');
    const std::size_t second = line.find(' ', first + 1);
    request.method = line.substr(0, first);
    request.target = line.substr(first + 1, second - first - 1);
    while (connection.ReadLine(line) && !line.empty()) {
        const std::size_t colon = line.find(':');
        std::string value = colon == std::string::npos ? "" : line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        request.headers.emplace_back(line.substr(0, colon), value);
    }
    const std::string length = request.Header("Content-Length");
    if (!length.empty() && !connection.ReadBytes(std::stoul(length), request.body)) {
        return;
    }
    std::pair<int, std::string> answer{200, R"({"errcode":0,"errmsg":"ok"})"};
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
        if (!m_answers.empty()) {
            answer = m_answers.front();
            m_answers.pop_front();
        }
    }
    connection.Write("HTTP/1.1 " + std::to_string(answer.first) +
                     " Answer\r\nContent-Type: application/json\r\nContent-Length: " +
                     std::to_string(answer.second.size()) + "\r\nConnection: close\r\n\r\n" +
                     answer.second);
}

}  // namespace tarnwick::test
