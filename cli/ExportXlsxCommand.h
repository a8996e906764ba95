#pragma once

#include "Command.h"

namespace tarnwick::cli {

// export-xlsx SID FILE: the item list as the desktop program exports it; with --all-sheets
// also the sheets of buyers and reviews.
class ExportXlsxCommand : public Command {
public:
    ExportXlsxCommand();
    void Declare(CLI::App& app) override;
    int Run() override;

private:
    std::string m_sid;
    std::string m_file;
    bool m_allSheets = false;
};

}  // namespace tarnwick::cli
