#include <gtest/gtest.h>

#include "store/Store.h"
#include "support/TempDatabase.h"

namespace tarnwick {
namespace {

using test::TempDatabase;

RunHealthRow Health(const std::string& sid, const std::string& verdict) {
    RunHealthRow row;
    row.sid = sid;
    row.verdict = verdict;
    row.started = DateTime::FromText("2026-12-09 10:00:00.000");
    row.ended = DateTime::FromText("2026-12-09 10:05:30.250");
    row.requests = 420;
    row.httpErrors = 1;
    row.networkErrors = 2;
    row.timeouts = 3;
    row.tooLarge = 4;
    row.loginPages = 25;
    row.verificationPages = 6;
    row.shapeless = 7;
    row.failedCard = 1;
    row.failedListing = 2;
    row.failedItem = 30;
    row.failedSold = 3;
    row.failedViews = 4;
    row.failedDeals = 5;
    row.failedReviews = 6;
    row.detail = "item.login=25 listing.shapeless=2";
    row.blockedAtRequest = 377;
    row.blockedAt = DateTime::FromText("2026-12-09 10:04:01.500");
    row.stoppedEarly = 1;
    row.reasons = "从第 377 个请求起被拦截\n宝贝页: 30/300 失败";
    return row;
}

ShopRow Shop(const std::string& sid) {
    ShopRow row;
    row.SID = sid;
    row.WWName = "店主";
    return row;
}

TEST(RunHealthStoreTest, RowsComeBackAsWrittenAndGoWithTheirShop) {
    TempDatabase db;
    Store store(Database::Open(db.Path()));
    ASSERT_TRUE(store.HasRunHealthTable());
    store.AppendShop(Shop("1"));
    store.AppendShop(Shop("2"));
    store.AppendRunHealth(Health("1", "blocked"));
    store.AppendRunHealth(Health("2", "healthy"));

    auto one = store.ReadRunHealth("1");
    ASSERT_TRUE(one.has_value());
    EXPECT_EQ(*one, Health("1", "blocked"));
    EXPECT_EQ(store.ReadRunHealth().size(), 2u);
    EXPECT_FALSE(store.ReadRunHealth("3").has_value());

    store.DeleteShop("1");
    EXPECT_FALSE(store.ReadRunHealth("1").has_value());
    EXPECT_TRUE(store.ReadRunHealth("2").has_value());
}

TEST(RunHealthStoreTest, FileWithoutTheTableKeepsWorkingWithoutHealth) {
    TempDatabase db;
    {
        Store store(Database::Open(db.Path()));
        store.Connection().Execute("drop table RunHealth");
    }
    Store store(Database::Open(db.Path()));
    EXPECT_FALSE(store.HasRunHealthTable());
    store.AppendShop(Shop("1"));
    EXPECT_NO_THROW(store.AppendRunHealth(Health("1", "blocked")));
    EXPECT_TRUE(store.ReadRunHealth().empty());
    EXPECT_FALSE(store.ReadRunHealth("1").has_value());
    EXPECT_NO_THROW(store.DeleteShop("1"));
    EXPECT_TRUE(store.ReadShops().empty());

    // Nothing created the table behind our back.
    Statement query(store.Connection().Handle(),
                    "select count(*) from sqlite_master where name like 'RunHealth%'");
    ASSERT_TRUE(query.Step());
    EXPECT_EQ(query.Int(0), 0);
}

}  // namespace
}  // namespace tarnwick
