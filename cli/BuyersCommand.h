#pragma once

#include "Command.h"

namespace tarnwick::cli {

// buyers SID ITEMID: one item's deal records, newest first, with their count and total.
class BuyersCommand : public ViewCommand {
public:
    BuyersCommand();
    void Declare(CLI::App& app) override;
    int Run() override;

private:
    std::string m_sid;
    std::string m_itemId;
};

}  // namespace tarnwick::cli
