#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "support/LoopbackServer.h"

namespace tarnwick::test {

// A small SMTP server on loopback that takes AUTH PLAIN and LOGIN (no TLS: it never offers
// STARTTLS) and keeps every message it accepts, byte for byte as DATA carried it.
class SmtpTestServer {
public:
    struct Mail {
        std::string user;
        std::string password;
        std::string from;  // MAIL FROM's address, without brackets
        std::vector<std::string> to;
        std::string data;  // the message, dot-stuffing undone, CR LF kept
    };

    SmtpTestServer();

    std::uint16_t Port() const { return m_server->Port(); }
    // The next `count` sessions are turned away at MAIL FROM with a temporary failure.
    void RefuseNext(int count);
    // Logins other than this user and password fail with 535.
    void RequireLogin(std::string user, std::string password);

    std::vector<Mail> Mails() const;
    // Every command the clients sent, one a line, in order.
    std::vector<std::string> Commands() const;
    int Sessions() const { return m_server->Connections(); }

private:
    void Session(Connection& connection);

    mutable std::mutex m_mutex;
    int m_refuse = 0;
    std::string m_user;
    std::string m_password;
    std::vector<Mail> m_mails;
    std::vector<std::string> m_commands;
    std::unique_ptr<LoopbackServer> m_server;  // last: its thread uses the members above
};

// Base64 undone; what is not base64 is skipped.
std::string DecodeBase64(const std::string& text);

}  // namespace tarnwick::test
