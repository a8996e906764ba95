#include "support/SmtpTestServer.h"

#include <algorithm>

namespace tarnwick::test {

namespace {

bool HasPrefixNoCase(const std::string& line, const std::string& prefix) {
    if (line.size() < prefix.size()) {
        return false;
    }
    return std::equal(prefix.begin(), prefix.end(), line.begin(), [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) ==
               std::toupper(static_cast<unsigned char>(b));
    });
}

std::string Bracketed(const std::string& line) {
    const std::size_t open = line.find('<');
    const std::size_t close = line.find('>', open);
    if (open == std::string::npos || close == std::string::npos) {
        return "";
    }
    return line.substr(open + 1, close - open - 1);
}

}  // namespace

std::string DecodeBase64(const std::string& text) {
    auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z')
            return c - 'A';
        if (c >= 'a' && c <= 'z')
            return c - 'a' + 26;
        if (c >= '0' && c <= '9')
            return c - '0' + 52;
        if (c == '+')
            return 62;
        if (c == '/')
            return 63;
        return -1;
    };
    std::string out;
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        const int v = value(c);
        if (v < 0) {
            continue;
        }
        bits = bits << 6 | static_cast<std::uint32_t>(v);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return out;
}

SmtpTestServer::SmtpTestServer()
    : m_server(std::make_unique<LoopbackServer>([this](Connection& c) { Session(c); })) {
}

void SmtpTestServer::RefuseNext(int count) {
    std::lock_guard lock(m_mutex);
    m_refuse = count;
}

void SmtpTestServer::RequireLogin(std::string user, std::string password) {
    std::lock_guard lock(m_mutex);
    m_user = std::move(user);
    m_password = std::move(password);
}

std::vector<SmtpTestServer::Mail> SmtpTestServer::Mails() const {
    std::lock_guard lock(m_mutex);
    return m_mails;
}

std::vector<std::string> SmtpTestServer::Commands() const {
    std::lock_guard lock(m_mutex);
    return m_commands;
}

void SmtpTestServer::Session(Connection& connection) {
    bool refuse = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_refuse > 0) {
            --m_refuse;
            refuse = true;
        }
    }
    Mail mail;
    auto login = [&](const std::string& user, const std::string& password) {
        std::lock_guard lock(m_mutex);
        mail.user = user;
        mail.password = password;
        const bool ok = m_user.empty() || (user == m_user && password == m_password);
        connection.Write(ok ? "235 2.7.0 Authentication successful\r\n"
                            : "535 5.7.8 Authentication credentials invalid\r\n");
    };
    connection.Write("220 smtp.test ESMTP\r\n");
    std::string line;
    while (connection.ReadLine(line)) {
        {
            std::lock_guard lock(m_mutex);
            m_commands.push_back(line);
        }
        if (HasPrefixNoCase(line, "EHLO")) {
            connection.Write("250-smtp.test\r\n250-AUTH PLAIN LOGIN\r\n250 8BITMIME\r\n");
        } else if (HasPrefixNoCase(line, "HELO")) {
            connection.Write("250 smtp.test\r\n");
        } else if (HasPrefixNoCase(line, "AUTH PLAIN")) {
            std::string token = line.size() > 11 ? line.substr(11) : "";
            if (token.empty()) {
                connection.Write("334 \r\n");
                if (!connection.ReadLine(token)) {
                    return;
                }
            }
            const std::string decoded = DecodeBase64(token);  // authzid \0 user \0 password
            const std::size_t first = decoded.find('\0');
            const std::size_t second = decoded.find('\0', first + 1);
            if (first == std::string::npos || second == std::string::npos) {
                connection.Write("501 5.5.2 malformed\r\n");
                continue;
            }
            login(decoded.substr(first + 1, second - first - 1), decoded.substr(second + 1));
        } else if (HasPrefixNoCase(line, "AUTH LOGIN")) {
            std::string user;
            std::string password;
            connection.Write("334 VXNlcm5hbWU6\r\n");
            if (!connection.ReadLine(user)) {
                return;
            }
            connection.Write("334 UGFzc3dvcmQ6\r\n");
            if (!connection.ReadLine(password)) {
                return;
            }
            login(DecodeBase64(user), DecodeBase64(password));
        } else if (HasPrefixNoCase(line, "MAIL FROM:")) {
            if (refuse) {
                connection.Write("451 4.3.0 try again later\r\n");
                continue;
            }
            mail.from = Bracketed(line);
            connection.Write("250 2.1.0 Ok\r\n");
        } else if (HasPrefixNoCase(line, "RCPT TO:")) {
            mail.to.push_back(Bracketed(line));
            connection.Write("250 2.1.5 Ok\r\n");
        } else if (HasPrefixNoCase(line, "DATA")) {
            connection.Write("354 End data with <CR><LF>.<CR><LF>\r\n");
            std::string data;
            while (connection.ReadLine(line) && line != ".") {
                data += (line.starts_with('.') ? line.substr(1) : line) + "\r\n";
            }
            mail.data = data;
            {
                std::lock_guard lock(m_mutex);
                m_mails.push_back(mail);
            }
            connection.Write("250 2.0.0 Ok: queued\r\n");
        } else if (HasPrefixNoCase(line, "QUIT")) {
            connection.Write("221 2.0.0 Bye\r\n");
            return;
        } else if (HasPrefixNoCase(line, "RSET") || HasPrefixNoCase(line, "NOOP")) {
            connection.Write("250 2.0.0 Ok\r\n");
        } else {
            connection.Write("502 5.5.2 Error: command not recognized\r\n");
        }
    }
}

}  // namespace tarnwick::test
