#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Command.h"

namespace tarnwick::cli {

// alerts [--unread] [--since TIME] [--nick NICK]: what the watches raised, oldest first;
// alerts ack [ID...]: marks them read.
class AlertsCommand : public ViewCommand {
public:
    AlertsCommand();
    void Declare(CLI::App& app) override;
    int Run() override;

    // The alerts as a view; `now` anchors a --since given as a duration ("1d": since a day ago).
    ViewTable AlertTable(Store& store, DateTime now) const;

private:
    int Ack();

    CLI::App* m_ack = nullptr;
    bool m_unread = false;
    std::string m_since;
    std::string m_nick;
    std::vector<std::int32_t> m_ids;
};

// "2026-03-01", "2026-03-01 09:30", "2026-03-01 09:30:15", or a duration back from `now`
// ("90m", "6h", "7d"). Nothing for any other text.
std::optional<DateTime> ParseSince(const std::string& text, DateTime now);

}  // namespace tarnwick::cli
