#pragma once

#include "Command.h"

namespace tarnwick::cli {

// items SID: one run's item list, as the desktop program lists it.
class ItemsCommand : public ViewCommand {
public:
    ItemsCommand();
    void Declare(CLI::App& app) override;
    int Run() override;

    // The item list of a run as a view: the list's own captions without its check column, and
    // the id the other commands take. export-csv writes the same.
    static ViewTable ItemTable(Store& store, const std::string& sid,
                               std::optional<DateTime> lastSellFrom);

private:
    std::string m_sid;
};

}  // namespace tarnwick::cli
