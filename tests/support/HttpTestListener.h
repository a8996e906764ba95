#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "support/LoopbackServer.h"

namespace tarnwick::test {

// An HTTP/1.1 listener on loopback that keeps every request it gets and answers each with the
// next answer queued, or 200 with the robots' "ok" once the queue is empty. One request a
// connection.
class HttpTestListener {
public:
    struct Request {
        std::string method;
        std::string target;
        std::vector<std::pair<std::string, std::string>> headers;
        std::string body;

        std::string Header(const std::string& name) const;  // compared without case
    };

    HttpTestListener();

    std::string Url(const std::string& target = "/hook") const;
    void QueueAnswer(int status, std::string body);
    std::vector<Request> Requests() const;

private:
    void Serve(Connection& connection);

    mutable std::mutex m_mutex;
    std::deque<std::pair<int, std::string>> m_answers;
    std::vector<Request> m_requests;
    std::unique_ptr<LoopbackServer> m_server;  // last: its thread uses the members above
};

}  // namespace tarnwick::test
