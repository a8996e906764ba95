#pragma once

#include "Command.h"

namespace tarnwick::cli {

// shops: the stored analyses, newest first.
class ShopsCommand : public ViewCommand {
public:
    ShopsCommand();
    void Declare(CLI::App& app) override;
    int Run() override;
};

}  // namespace tarnwick::cli
