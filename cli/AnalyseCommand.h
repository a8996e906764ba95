#pragma once

#include "Command.h"
#include "acquire/AcquisitionController.h"
#include "acquire/RunLimits.h"

namespace tarnwick::cli {

// analyse NICK: one analysis run of a shop into the database, its log on standard output, a
// progress line under it on a terminal, and a summary at its end. Ctrl-C stops the run as the
// dialog's stop button does; a second Ctrl-C ends the program at once.
class AnalyseCommand : public Command {
public:
    AnalyseCommand();
    void Declare(CLI::App& app) override;
    int Run() override;

private:
    std::string m_nick;
    std::string m_market;
    int m_threads = AcquisitionController::kDefaultThreads;
    RunLimits m_limits;
    int m_maxBodyMb = 32;
    int m_fetchTimeoutSeconds = m_limits.maxFetchMs / 1000;
    RunOptions m_options;
};

}  // namespace tarnwick::cli
