#pragma once

#include "Command.h"

namespace tarnwick::cli {

// export-nicks SID FILE [ITEMID...]: the reviewers' nicks of the items (all of the run's when
// none is named) to a GBK text file, as the desktop program writes it.
class ExportNicksCommand : public Command {
public:
    ExportNicksCommand();
    void Declare(CLI::App& app) override;
    int Run() override;

private:
    std::string m_sid;
    std::string m_file;
    std::vector<std::string> m_itemIds;
};

}  // namespace tarnwick::cli
