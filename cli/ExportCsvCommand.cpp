#include "ExportCsvCommand.h"

#include <iostream>
#include <sstream>

#include "ExportTarget.h"
#include "ItemsCommand.h"
#include "export/AtomicFile.h"
#include "store/TimeWindow.h"

namespace tarnwick::cli {

ExportCsvCommand::ExportCsvCommand()
    : Command("export-csv", "Export one analysis's item list to a CSV file (RFC 4180, UTF-8)") {
}

void ExportCsvCommand::Declare(CLI::App& app) {
    app.add_option("SID", m_sid, "The analysis, as tarnwick-cli shops lists it")->required();
    app.add_option("FILE", m_file, "The file to write, used as given (replaced if it exists)")
        ->required();
    MarkPositionalFiles();
    AddDatabaseOption(app);
    AddChoiceOption(app, "--window", m_window, {"all", "week", "month", "this-week", "this-month"},
                    "Only the items sold from: 7 days ago, 30 days ago, this Monday, the first "
                    "of this month; all by default");
    app.add_flag("--bom", m_bom, "Begin with a UTF-8 byte-order mark, so that Excel shows Chinese");
}

int ExportCsvCommand::Run() {
    RefuseUnwritable(m_file);
    const auto bound =
        LowerBound(ParseTimeWindow(m_window).value_or(TimeWindow::AllData), DateTime::Now());
    Store store = OpenStore();
    RequireKnownRun(store, m_sid);
    const ViewTable table = ItemsCommand::ItemTable(store, m_sid, bound);

    std::ostringstream csv;
    table.PrintCsv(csv, m_bom);
    WriteFileAtomically(m_file, csv.str());
    std::cout << "导出成功.\n";
    return 0;
}

}  // namespace tarnwick::cli
