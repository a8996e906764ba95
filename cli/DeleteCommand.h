#pragma once

#include "Command.h"

namespace tarnwick::cli {

// delete SID: removes one analysis with its items, deal records and reviews.
class DeleteCommand : public Command {
public:
    DeleteCommand();
    void Declare(CLI::App& app) override;
    int Run() override;

private:
    std::string m_sid;
};

}  // namespace tarnwick::cli
