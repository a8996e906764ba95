#pragma once

#include <chrono>
#include <deque>
#include <string>

namespace tarnwick::cli {

// The progress line under a running analysis: items done of queued, rows stored, requests per
// second over the last few seconds and, once the listing is complete (before that the number
// of items is not known), the time left at the recent pace.
class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    struct Sample {
        Clock::time_point time;
        int itemsQueued = 0;
        int itemsDone = 0;
        int rowsStored = 0;
        int requests = 0;
        bool listingComplete = false;
    };

    // Rates are taken over this span: long enough to smooth the pauses between pages, short
    // enough to follow a marketplace that slows down.
    static constexpr std::chrono::seconds kRateSpan{10};

    // The line for this sample, which is kept for the rates of later lines.
    std::string Update(const Sample& sample);

    // "0:42", "12:05", "1:02:03".
    static std::string Duration(std::chrono::seconds duration);

private:
    std::deque<Sample> m_samples;
};

}  // namespace tarnwick::cli
