#include "ReviewsCommand.h"

namespace tarnwick::cli {

ReviewsCommand::ReviewsCommand() : ViewCommand("reviews", "List one item's reviews, newest first") {
}

void ReviewsCommand::Declare(CLI::App& app) {
    app.add_option("SID", m_sid, "The analysis, as tarnwick-cli shops lists it")->required();
    app.add_option("ITEMID", m_itemId, "The item, as tarnwick-cli items lists it")->required();
    AddFormatOptions(app);
    AddWindowOption(app);
}

int ReviewsCommand::Run() {
    const auto bound = WindowBound();
    Store store = OpenStore();
    RequireKnownRun(store, m_sid);
    ViewTable table(
        {{"displayUserNick", "买家名称"}, {"rateContent", "评论内容"}, {"rateDate", "评论时间"}});
    const auto rates = store.ReadRates(m_sid, m_itemId, bound);
    for (const RateRow& rate : rates) {
        table.AddRow({rate.displayUserNick, rate.rateContent, rate.rateDate});
    }
    Emit(table, "共有 " + std::to_string(rates.size()) + " 条记录.");
    return 0;
}

}  // namespace tarnwick::cli
