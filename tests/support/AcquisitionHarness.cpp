#include "support/AcquisitionHarness.h"

#include <algorithm>

#include "base/Clock.h"

namespace tarnwick::test {

AcquisitionHarness::AcquisitionHarness(StoreKind kind)
    : m_store(kind),
      m_controller(std::make_unique<AcquisitionController>(
          m_loop, m_observer, m_store.Source(), m_market.GetEndpoints(), SystemClock::Instance())) {
    m_controller->Reset();
}

AcquisitionHarness::AcquisitionHarness(
    StoreKind kind, const std::function<std::string(const std::string&)>& runLocation)
    : m_store(kind),
      m_controller(std::make_unique<AcquisitionController>(
          m_loop, m_observer, StoreSource::Parse(runLocation(m_store.Location())),
          m_market.GetEndpoints(), SystemClock::Instance())) {
    m_controller->Reset();
}

AcquisitionHarness::~AcquisitionHarness() {
    m_controller.reset();  // its threads end before the server and the file go
}

bool AcquisitionHarness::RunUntil(const std::function<bool()>& condition,
                                  std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (m_loop.RunUntil(condition, std::chrono::milliseconds(10))) {
            return true;
        }
    }
    return condition();
}

bool AcquisitionHarness::WaitForHeld(std::size_t count) {
    return RunUntil([&] { return m_market.Sim().HeldCount() >= count; });
}

bool AcquisitionHarness::WaitForRunEnd(std::chrono::milliseconds timeout) {
    auto run = m_controller->CurrentRun();
    return RunUntil([&] { return run && run->Completed() && !run->ReaderRunning(); }, timeout);
}

bool AcquisitionHarness::Analyse(const std::string& nick, int threads,
                                 std::chrono::milliseconds timeout) {
    if (m_controller->Start(nick, threads) != AcquisitionController::StartResult::Started) {
        return false;
    }
    return WaitForRunEnd(timeout);
}

std::vector<std::string> AcquisitionHarness::LogTexts() const {
    std::vector<std::string> texts;
    for (const std::string& line : m_controller->Log().Lines()) {
        // "hh:mm:ss text"; the intro line has no time.
        bool timed = line.size() > 9 && line[2] == ':' && line[5] == ':' && line[8] == ' ';
        texts.push_back(timed ? line.substr(9) : line);
    }
    return texts;
}

bool AcquisitionHarness::LogHas(const std::string& text) const {
    auto texts = LogTexts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

std::string AcquisitionHarness::CompletionLine() const {
    auto texts = LogTexts();
    if (texts.empty()) {
        return {};
    }
    // A healthy run ends on its completion line; any other is followed by its verdict.
    if (texts.back().rfind("运行状况: ", 0) != 0) {
        return texts.back();
    }
    return texts.size() < 2 ? std::string() : texts[texts.size() - 2];
}

Store AcquisitionHarness::OpenStore() const {
    return m_store.Open();
}

std::vector<std::string> AcquisitionHarness::Targets(const std::string& part) const {
    std::vector<std::string> targets;
    for (const auto& request : m_market.Sim().Requests()) {
        if (request.target.find(part) != std::string::npos) {
            targets.push_back(request.target);
        }
    }
    return targets;
}

}  // namespace tarnwick::test
