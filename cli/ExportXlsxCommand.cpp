#include "ExportXlsxCommand.h"

#include <iostream>

#include "ExportTarget.h"
#include "export/DetailSheets.h"
#include "export/ItemSheet.h"
#include "export/XlsxExport.h"

namespace tarnwick::cli {

ExportXlsxCommand::ExportXlsxCommand()
    : Command("export-xlsx", "Export one analysis's item list to an Excel workbook") {
}

void ExportXlsxCommand::Declare(CLI::App& app) {
    app.add_option("SID", m_sid, "The analysis, as tarnwick-cli shops lists it")->required();
    app.add_option("FILE", m_file, "The workbook to write, used as given (replaced if it exists)")
        ->required();
    MarkPositionalFiles();
    AddDatabaseOption(app);
    app.add_flag("--all-sheets", m_allSheets,
                 "Add the sheets 买家 (the deal records of every item) and 评价 (the reviews) "
                 "after the item sheet");
}

int ExportXlsxCommand::Run() {
    RefuseUnwritable(m_file);
    Store store = OpenStore();
    RequireKnownRun(store, m_sid);

    // As the list shows a freshly loaded run: every item, in read order, all checked.
    const std::vector<ItemRow> items = store.ReadItems(m_sid);
    std::vector<std::vector<SheetCell>> rows;
    int number = 0;
    for (const ItemRow& item : items) {
        rows.push_back(ItemSheetRow(item, ++number, true));
    }
    std::vector<ExtraSheet> extra;
    if (m_allSheets) {
        extra.push_back(BuyersSheet(store, items));
        extra.push_back(ReviewsSheet(store, items));
    }
    std::size_t cut = 0;
    try {
        cut = ExportItemListToXlsx(ItemListCaptions(), rows, m_file, extra);
    } catch (const ExportError& error) {
        std::cerr << "tarnwick-cli: " << error.what() << "\n导出失败.\n";
        return 1;
    }
    std::cout << "导出成功.\n";
    if (cut > 0) {
        std::cout << CutCellsMessage(cut) << '\n';
    }
    return 0;
}

}  // namespace tarnwick::cli
