#pragma once

#include "Command.h"

namespace tarnwick::cli {

// reviews SID ITEMID: one item's reviews, newest first, with their count.
class ReviewsCommand : public ViewCommand {
public:
    ReviewsCommand();
    void Declare(CLI::App& app) override;
    int Run() override;

private:
    std::string m_sid;
    std::string m_itemId;
};

}  // namespace tarnwick::cli
