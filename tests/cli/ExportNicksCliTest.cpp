// export-nicks writes the chosen items' reviewers in the item list's order, as the desktop
// program does for the same ticks, whatever order the items are named in.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "CliSupport.h"
#include "MarketSim.h"
#include "support/MarketFixture.h"
#include "support/TempDatabase.h"

namespace tarnwick::test {
namespace {

marketsim::Item Reviewed(const std::string& id, const std::string& nick) {
    marketsim::Item item;
    item.id = id;
    item.title = "item " + id;
    item.price = "10.00";
    marketsim::Review review;
    review.nick = nick;
    review.content = "ok";
    review.id = "9" + id;
    review.date = "2012-04-07 08:09:10";
    item.reviews = {review};
    return item;
}

TEST(ExportNicksCliTest, ChosenItemsGoInListOrderWhateverTheArgumentOrder) {
    TempDatabase db;
    MarketFixture market;
    marketsim::Shop shop;
    shop.nick = "order";
    shop.key = "order";
    shop.ownerId = "4242";
    shop.items = {Reviewed("301", "first"), Reviewed("302", "second"), Reviewed("303", "third")};
    market.Sim().AddShop(shop);
    // One download thread: the items are stored, and listed, in the shop's order.
    ASSERT_EQ(
        RunCli({"analyse", "--db", db.Path(), "--market", market.Base(), "--threads", "1", "order"})
            .code,
        0);
    const CliResult shops = RunCli({"shops", "--db", db.Path(), "--format", "csv"});
    const std::string sid = shops.out.substr(shops.out.find('\n') + 1, 17);

    const std::filesystem::path file = db.Folder() / "nicks.txt";
    const CliResult run =
        RunCli({"export-nicks", "--db", db.Path(), sid, file.string(), "303", "301", "303"});
    ASSERT_EQ(run.code, 0) << run.err;
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "first\r\nthird\r\n");
    EXPECT_EQ(run.out, "成功导出 2 个用户.\n");
}

}  // namespace
}  // namespace tarnwick::test
