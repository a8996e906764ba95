#pragma once

#include "Command.h"

namespace tarnwick::cli {

// check-version: asks the vendor for the latest version, as the desktop program does at start.
class CheckVersionCommand : public Command {
public:
    CheckVersionCommand();
    void Declare(CLI::App& app) override;
    int Run() override;

private:
    std::string m_versionUrl;
};

}  // namespace tarnwick::cli
