#pragma once

#include "Command.h"

namespace tarnwick::cli {

// export-csv SID FILE: the item list as `items --format csv` gives it, written to a file.
class ExportCsvCommand : public Command {
public:
    ExportCsvCommand();
    void Declare(CLI::App& app) override;
    int Run() override;

private:
    std::string m_sid;
    std::string m_file;
    std::string m_window = "all";
    bool m_bom = false;
};

}  // namespace tarnwick::cli
