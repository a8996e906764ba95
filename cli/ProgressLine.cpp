#include "ProgressLine.h"

#include <cmath>
#include <cstdio>

namespace tarnwick::cli {

std::string ProgressLine::Duration(std::chrono::seconds duration) {
    const long long total = std::max<long long>(0, duration.count());
    char text[32];
    if (total >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60,
                      total % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
    }
    return text;
}

std::string ProgressLine::Update(const Sample& sample) {
    m_samples.push_back(sample);
    while (m_samples.size() > 2 && sample.time - m_samples[1].time >= kRateSpan) {
        m_samples.pop_front();
    }
    const Sample& first = m_samples.front();
    const double seconds = std::chrono::duration<double>(sample.time - first.time).count();

    std::string line = "已完成 " + std::to_string(sample.itemsDone) + "/" +
                       std::to_string(sample.itemsQueued) + " 个宝贝 | 已存 " +
                       std::to_string(sample.rowsStored) + " 行";
    // Under a second of history a rate says more about timing than about the marketplace.
    if (seconds < 1.0) {
        return line;
    }
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.1f", (sample.requests - first.requests) / seconds);
    line += std::string(" | ") + rate + " 次请求/秒";

    const int left = sample.itemsQueued - sample.itemsDone;
    const double itemsPerSecond = (sample.itemsDone - first.itemsDone) / seconds;
    if (sample.listingComplete && left > 0 && itemsPerSecond > 0) {
        const auto eta = std::chrono::seconds(std::llround(left / itemsPerSecond));
        line += " | 预计剩余 " + Duration(eta);
    }
    return line;
}

}  // namespace tarnwick::cli
