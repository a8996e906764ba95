#include "ItemsCommand.h"

#include "export/ItemSheet.h"

namespace tarnwick::cli {

ItemsCommand::ItemsCommand()
    : ViewCommand("items", "List the items of one analysis with their figures") {
}

void ItemsCommand::Declare(CLI::App& app) {
    app.add_option("SID", m_sid, "The analysis, as tarnwick-cli shops lists it")->required();
    AddFormatOptions(app);
    AddWindowOption(app);
}

ViewTable ItemsCommand::ItemTable(Store& store, const std::string& sid,
                                  std::optional<DateTime> lastSellFrom) {
    static const char* const kNames[] = {"no",        "title",          "price",
                                         "sellcount", "allow_quantity", "Commentcount",
                                         "pv",        "SellAmount",     "UpdateTime"};
    std::vector<std::string> captions = ItemListCaptions();
    captions.erase(captions.begin());  // the check column
    std::vector<ViewTable::Column> columns;
    for (std::size_t i = 0; i < captions.size(); ++i) {
        columns.push_back({kNames[i], captions[i]});
    }
    columns.insert(columns.begin() + 1, {"ItemID", "ItemID"});

    ViewTable table(std::move(columns));
    std::int64_t n = 0;
    for (const ItemRow& item : store.ReadItems(sid, lastSellFrom)) {
        table.AddRow({++n, item.ItemID, item.title, item.price, std::int64_t{item.sellcount},
                      std::int64_t{item.allow_quantity}, std::int64_t{item.Commentcount},
                      std::int64_t{item.pv}, item.SellAmount, item.UpdateTime});
    }
    return table;
}

int ItemsCommand::Run() {
    const auto bound = WindowBound();
    Store store = OpenStore();
    RequireKnownRun(store, m_sid);
    Emit(ItemTable(store, m_sid, bound));
    return 0;
}

}  // namespace tarnwick::cli
