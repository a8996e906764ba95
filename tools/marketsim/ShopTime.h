#pragma once

#include <ctime>
#include <string>

namespace marketsim {

inline constexpr std::time_t kDay = 24 * 60 * 60;

// The start of today, local time: the sample shops count their dates from here, so a shop
// stays the same shop for a whole day and no record lies in the future.
inline std::time_t LocalMidnight() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) {
        return now - now % kDay;
    }
    local.tm_hour = 0;
    local.tm_min = 0;
    local.tm_sec = 0;
    local.tm_isdst = -1;
    std::time_t midnight = std::mktime(&local);
    return midnight == static_cast<std::time_t>(-1) ? now - now % kDay : midnight;
}

// "2012-04-05 10:20:33", the form the marketplace shows and the readers cut by position.
inline std::string TimeText(std::time_t when) {
    std::tm local{};
    char text[32] = "1970-01-01 00:00:00";
    if (localtime_r(&when, &local) != nullptr) {
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    }
    return text;
}

}  // namespace marketsim
