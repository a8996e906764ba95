#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "acquire/AcquisitionController.h"
#include "acquire/EventLoop.h"
#include "acquire/RunObserver.h"
#include "store/Store.h"
#include "support/MarketFixture.h"
#include "support/TempStore.h"

namespace tarnwick::test {

// Hears what a run tells its owner.
class RecordingObserver : public RunObserver {
public:
    void LogLineAdded(const std::string& line) override { lines.push_back(line); }
    void LogCleared() override {
        lines.clear();
        ++clears;
    }
    void RunningChanged(bool isRunning) override { running = isRunning; }
    void RunCompleted() override { ++completions; }

    std::vector<std::string> lines;
    int clears = 0;
    bool running = false;
    int completions = 0;
};

// An acquisition against a marketsim on loopback into a fresh, empty store of either kind,
// driven from the test's own thread as its owner.
class AcquisitionHarness {
public:
    explicit AcquisitionHarness(StoreKind kind = StoreKind::File);
    ~AcquisitionHarness();

    marketsim::MarketSim& Sim() { return m_market.Sim(); }
    MarketFixture& Market() { return m_market; }
    const Endpoints& GetEndpoints() const { return m_market.GetEndpoints(); }
    AcquisitionController& Controller() { return *m_controller; }
    RecordingObserver& Observer() { return m_observer; }
    EventLoop& Loop() { return m_loop; }
    const TempStore& Temp() const { return m_store; }

    // Starts a run and handles its reports until it announces its end and its reader has
    // ended. False when that does not happen in time.
    bool Analyse(const std::string& nick, int threads = 6,
                 std::chrono::milliseconds timeout = std::chrono::seconds(60));
    // Ends the acquisition as the program's end would: runs shut down, threads joined.
    void Close() { m_controller.reset(); }
    // Handles reports until the condition holds. Conditions on the marketsim's side change
    // without a report to wake us, so the condition is also tested every few milliseconds.
    bool RunUntil(const std::function<bool()>& condition,
                  std::chrono::milliseconds timeout = std::chrono::seconds(60));
    // Handles reports until that many requests wait at a hold of the marketsim.
    bool WaitForHeld(std::size_t count);
    bool WaitForRunEnd(std::chrono::milliseconds timeout = std::chrono::seconds(60));

    // The log lines without their "hh:mm:ss " time.
    std::vector<std::string> LogTexts() const;
    bool LogHas(const std::string& text) const;
    // The run's last line before its closing health line, if any: the completion line, when
    // the run ended.
    std::string CompletionLine() const;
    Store OpenStore() const;
    // The targets of the recorded requests that contain `part`, in order.
    std::vector<std::string> Targets(const std::string& part) const;

private:
    TempStore m_store;
    MarketFixture m_market;
    EventLoop m_loop;
    RecordingObserver m_observer;
    std::unique_ptr<AcquisitionController> m_controller;
};

}  // namespace tarnwick::test
