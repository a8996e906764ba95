#include "store/Store.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "support/TempStore.h"

namespace tarnwick {
namespace {

using test::KindName;
using test::StoreKind;
using test::TempStore;

const auto kBothStores = testing::Values(StoreKind::File, StoreKind::Server);

std::string StoreName(const testing::TestParamInfo<StoreKind>& info) {
    return KindName(info.param);
}

DateTime At(const char* text) {
    return DateTime::FromText(text);
}

// How each engine names a missing table.
std::string MissingTable(StoreKind kind, const std::string& name) {
    if (kind == StoreKind::File) {
        return "no such table: " + name;
    }
    std::string lower;
    for (char c : name) {
        lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return "relation \"" + lower + "\" does not exist";
}

ShopRow Shop(const std::string& sid, const char* addTime) {
    ShopRow row;
    row.SID = sid;
    row.WWName = "店主" + sid;
    row.AddTime = At(addTime);
    return row;
}

ItemRow Item(const std::string& sid, const std::string& itemid, DateTime lastSell = {}) {
    ItemRow row;
    row.sid = sid;
    row.ItemID = itemid;
    row.lastSell = lastSell;
    return row;
}

BuyerRow Buyer(const std::string& sid, const std::string& itemid, DateTime buytime = {},
               const std::string& buyer = "b") {
    BuyerRow row;
    row.sid = sid;
    row.itemid = itemid;
    row.Buyer = buyer;
    row.buytime = buytime;
    return row;
}

RateRow Rate(const std::string& sid, const std::string& itemid, DateTime rateDate = {}) {
    RateRow row;
    row.sid = sid;
    row.itemid = itemid;
    row.displayUserNick = "n";
    row.rateDate = rateDate;
    return row;
}

class StoreTest : public testing::TestWithParam<StoreKind> {
protected:
    TempStore m_temp{GetParam()};
    Store m_store = m_temp.Open();
};

INSTANTIATE_TEST_SUITE_P(Stores, StoreTest, kBothStores, StoreName);

TEST_P(StoreTest, EveryColumnIsStoredAndReadBack) {
    // clang-format off
    const ShopRow shop{"20120405102033123", "owner'1", "http://shop.example/", "小店\"主", 1, 2,
                       "sr", "br", "gi", "gs", "gc", 3, "2009", "杭州", 4,
                       At("2012-04-05 10:20:33.123"), 5};
    const ItemRow item{"s", "123", "标题 'x'", 12.34, 7, 8, 98.72, 9, 10, 11,
                       At("2012-04-05 10:20:33.001"), At("2012-04-04 09:00:00.000"),
                       At("2012-04-03 08:00:00.999")};
    const BuyerRow buyer{"s", "123", "买**家", 1, "s_red_3.gif", "301-500个买家信用积分", "vip",
                         9.99, -2, At("2012-04-05 10:20:00.000"), "颜色:红", -19.98,
                         At("2012-04-05 11:00:00.000")};
    const RateRow rate{"s", "123", "好评\\u597d", 3, "n***k", "123456789", "",
                       At("2012-04-05 00:00:00.000"), -1, At("2012-04-06 00:00:00.000")};
    // clang-format on
    m_store.AppendShop(shop);
    m_store.AppendItem(item);
    m_store.AppendBuyer(buyer);
    m_store.AppendRate(rate);

    EXPECT_EQ(m_store.ReadShops(), std::vector{shop});
    EXPECT_EQ(m_store.ReadItems("s"), std::vector{item});
    EXPECT_EQ(m_store.ReadBuyers("s", "123"), std::vector{buyer});
    EXPECT_EQ(m_store.ReadRates("s", "123"), std::vector{rate});
}

TEST_P(StoreTest, QuotesInKeysAreStoredVerbatimAndMatchOnlyThemselves) {
    const std::vector<std::pair<std::string, std::string>> keys = {{"1'2", "it'em"},
                                                                   {"12", "item"},
                                                                   {"1", "it"},
                                                                   {"1'2", "item"},
                                                                   {"' or '1'='1", "x' or 'a'='a"}};
    for (const auto& [sid, itemid] : keys) {
        m_store.AppendItem(Item(sid, itemid));
        m_store.AppendBuyer(Buyer(sid, itemid, {}, sid + "/" + itemid));
        m_store.AppendRate(Rate(sid, itemid));
    }
    for (const auto& [sid, itemid] : keys) {
        const auto buyers = m_store.ReadBuyers(sid, itemid);
        ASSERT_EQ(buyers.size(), 1u) << sid << " " << itemid;
        EXPECT_EQ(buyers[0].Buyer, sid + "/" + itemid);
        EXPECT_EQ(buyers[0].itemid, itemid);
        ASSERT_EQ(m_store.ReadRates(sid, itemid).size(), 1u) << sid << " " << itemid;
        EXPECT_EQ(m_store.ReadRates(sid, itemid)[0].sid, sid);
    }
    EXPECT_EQ(m_store.ReadItems("1'2").size(), 2u);
    EXPECT_EQ(m_store.ReadItems("' or '1'='1").size(), 1u);
    EXPECT_TRUE(m_store.ReadBuyers("1'2", "it").empty());
    EXPECT_TRUE(m_store.ReadItems("1'").empty());
}

TEST_P(StoreTest, ResultsComeNewestFirst) {
    m_store.AppendShop(Shop("b", "2012-04-05 10:20:33.001"));
    m_store.AppendShop(Shop("c", "2011-12-31 23:59:59.999"));
    m_store.AppendShop(Shop("a", "2012-04-05 10:20:33.000"));
    m_store.AppendShop(Shop("d", "2013-01-01 00:00:00.000"));
    std::vector<std::string> order;
    for (const ShopRow& row : m_store.ReadShops()) {
        order.push_back(row.SID);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"d", "b", "a", "c"}));

    for (const char* time : {"2012-04-05 10:20:33.000", "2012-04-06 00:00:00.000",
                             "2012-04-05 10:20:33.001", "2009-01-01 00:00:00.000"}) {
        m_store.AppendBuyer(Buyer("s", "1", At(time)));
        m_store.AppendRate(Rate("s", "1", At(time)));
    }
    const auto buyers = m_store.ReadBuyers("s", "1");
    const auto rates = m_store.ReadRates("s", "1");
    ASSERT_EQ(buyers.size(), 4u);
    ASSERT_EQ(rates.size(), 4u);
    for (std::size_t k = 1; k < 4; ++k) {
        EXPECT_GT(buyers[k - 1].buytime, buyers[k].buytime);
        EXPECT_GT(rates[k - 1].rateDate, rates[k].rateDate);
    }
}

// Each reader's time window, given as the number of rows at or after a bound.
struct WindowReader {
    const char* name;
    std::function<void(Store&, DateTime)> append;
    std::function<std::size_t(Store&, DateTime)> countFrom;
    std::function<std::size_t(Store&)> countAll;
};

void PrintTo(const WindowReader& reader, std::ostream* os) {
    *os << reader.name;
}

class WindowBound : public testing::TestWithParam<std::tuple<WindowReader, StoreKind>> {};

TEST_P(WindowBound, BoundIsInclusiveAtMidnightAndLeavesOutEverythingEarlier) {
    const TempStore temp(std::get<1>(GetParam()));
    Store store = temp.Open();
    const WindowReader& reader = std::get<0>(GetParam());
    for (const char* time :
         {"2012-04-05 00:00:00.000", "2012-04-04 23:59:59.000", "2012-04-04 23:59:59.999",
          "2012-04-05 00:00:00.001", "2012-05-01 12:00:00.000"}) {
        reader.append(store, At(time));
    }
    reader.append(store, DateTime());  // an item without deal records keeps the zero value

    const DateTime midnight = At("2012-04-05 00:00:00.000");
    EXPECT_EQ(reader.countFrom(store, midnight), 3u);
    EXPECT_EQ(reader.countFrom(store, midnight.AddDays(-1)), 5u);
    EXPECT_EQ(reader.countFrom(store, At("1900-01-01 00:00:00.000")), 5u);
    EXPECT_EQ(reader.countFrom(store, At("2012-05-02 00:00:00.000")), 0u);
    EXPECT_EQ(reader.countAll(store), 6u);
}

INSTANTIATE_TEST_SUITE_P(
    Readers, WindowBound,
    testing::Combine(
        testing::Values(
            WindowReader{"ItemsByLastSell",
                         [](Store& s, DateTime t) { s.AppendItem(Item("run", "1", t)); },
                         [](Store& s, DateTime from) { return s.ReadItems("run", from).size(); },
                         [](Store& s) { return s.ReadItems("run").size(); }},
            WindowReader{
                "BuyersByBuytime",
                [](Store& s, DateTime t) { s.AppendBuyer(Buyer("run", "1", t)); },
                [](Store& s, DateTime from) { return s.ReadBuyers("run", "1", from).size(); },
                [](Store& s) { return s.ReadBuyers("run", "1").size(); }},
            WindowReader{
                "RatesByRateDate", [](Store& s, DateTime t) { s.AppendRate(Rate("run", "1", t)); },
                [](Store& s, DateTime from) { return s.ReadRates("run", "1", from).size(); },
                [](Store& s) { return s.ReadRates("run", "1").size(); }}),
        kBothStores),
    [](const testing::TestParamInfo<std::tuple<WindowReader, StoreKind>>& info) {
        return std::string(std::get<0>(info.param).name) + KindName(std::get<1>(info.param));
    });

void AppendRun(Store& store, const std::string& sid) {
    store.AppendShop(Shop(sid, "2012-04-05 10:00:00.000"));
    for (const char* itemid : {"1", "2", "2"}) {  // an id listed twice gives two sets of rows
        store.AppendItem(Item(sid, itemid));
        store.AppendBuyer(Buyer(sid, itemid));
        store.AppendRate(Rate(sid, itemid));
    }
}

int RowsOfRun(const TempStore& temp, const char* table, const std::string& sid) {
    return temp.Count(std::string("select count(*) from ") + table + " where sid='" + sid + "'");
}

TEST_P(StoreTest, DeletingARunRemovesOnlyItsRowsAndLeavesItemsAlone) {
    AppendRun(m_store, "20120405100000000");
    AppendRun(m_store, "20120406100000000");
    m_temp.Execute("insert into Items (SID, ItemID) values ('20120405100000000', '1')");

    m_store.DeleteShop("20120405100000000");

    for (const char* table : {"ShopList", "ItemList", "BuyerList", "RateList"}) {
        EXPECT_EQ(RowsOfRun(m_temp, table, "20120405100000000"), 0) << table;
        EXPECT_EQ(RowsOfRun(m_temp, table, "20120406100000000"),
                  table == std::string("ShopList") ? 1 : 3)
            << table;
    }
    EXPECT_EQ(RowsOfRun(m_temp, "Items", "20120405100000000"), 1);
    ASSERT_EQ(m_store.ReadShops().size(), 1u);
    EXPECT_EQ(m_store.ReadShops()[0].SID, "20120406100000000");
    EXPECT_EQ(m_store.ReadBuyers("20120406100000000", "2").size(), 2u);
}

// A delete that fails half-way (here a table gone; in life a full disk, a lost connection, a
// kill) leaves the run whole: never its shop row gone while its records stay unlisted.
TEST_P(StoreTest, AFailingDeleteLeavesTheRunWhole) {
    for (const char* missing : {"RateList", "ItemList"}) {
        SCOPED_TRACE(missing);
        TempStore temp(GetParam());
        Store store = temp.Open();
        AppendRun(store, "run");
        temp.Execute(std::string("drop table ") + missing);
        try {
            store.DeleteShop("run");
            ADD_FAILURE() << "deleting from a missing table succeeded";
        } catch (const DatabaseError& error) {
            EXPECT_EQ(error.what(), MissingTable(GetParam(), missing));
        }
        EXPECT_EQ(RowsOfRun(temp, "ShopList", "run"), 1);
        EXPECT_EQ(RowsOfRun(temp, "BuyerList", "run"), 3);
        if (missing != std::string("RateList")) {
            EXPECT_EQ(RowsOfRun(temp, "RateList", "run"), 3);
        }
        // The connection is usable afterwards: no transaction was left open.
        store.AppendShop(Shop("later", "2012-04-06 10:00:00.000"));
        EXPECT_EQ(RowsOfRun(temp, "ShopList", "later"), 1);
    }
}

// A page's rows are one transaction: a row refused leaves none of its page stored and the
// connection ready for the next page, which is stored whole, every column of every row. Past
// 50 rows the server takes a page in several statements, still as one.
TEST_P(StoreTest, APageOfRowsIsStoredWholeOrNotAtAll) {
    m_temp.RefuseBuyer("refused");
    struct Case {
        int rows;
        int refusedAt;
    };
    for (const Case c : {Case{1, 0}, Case{15, 0}, Case{15, 14}, Case{120, 110}}) {
        const std::string sid = std::to_string(c.rows) + "/" + std::to_string(c.refusedAt);
        SCOPED_TRACE(sid);
        std::vector<BuyerRow> page;
        for (int i = 0; i < c.rows; ++i) {
            char time[32];
            std::snprintf(time, sizeof time, "2012-04-05 10:%02d:%02d.000", i / 60, i % 60);
            BuyerRow row = Buyer(sid, "1", At(time),
                                 i == c.refusedAt ? "refused" : "买家" + std::to_string(i));
            row.price = i + 0.5;
            row.amount = i;
            row.sku = "颜色:" + std::to_string(i);
            page.push_back(row);
        }
        EXPECT_THROW(m_store.AppendBuyers(page), DatabaseError);
        EXPECT_EQ(RowsOfRun(m_temp, "BuyerList", sid), 0);

        page[c.refusedAt].Buyer = "accepted";
        m_store.AppendBuyers(page);
        std::vector<BuyerRow> stored = m_store.ReadBuyers(sid, "1");
        std::reverse(stored.begin(), stored.end());  // newest first
        EXPECT_EQ(stored, page);
    }
    const std::vector<RateRow> rates = {
        {"r", "1", "好评", 3, "n***k", "101", "pic", At("2012-04-05 00:00:00.000"), -1,
         At("2012-04-06 00:00:00.000")},
        {"r", "1", "差评", 0, "m***k", "100", "", At("2012-04-04 00:00:00.000"), 7,
         At("2012-04-06 00:00:01.000")}};
    m_store.AppendRates(rates);
    EXPECT_EQ(m_store.ReadRates("r", "1"), rates);
    EXPECT_NO_THROW(m_store.AppendBuyers({}));
}

TEST_P(StoreTest, ItemsAreCountedPerRunAndRunsWithoutItemsAreLeftOut) {
    EXPECT_TRUE(m_store.CountItemsPerRun().empty());
    AppendRun(m_store, "20120405100000000");
    m_store.AppendShop(Shop("20120407100000000", "2012-04-07 10:00:00.000"));
    m_store.AppendItem(Item("it's", "1"));
    m_store.AppendItem(Item("it's", "2"));
    const std::map<std::string, int> expected = {{"20120405100000000", 3}, {"it's", 2}};
    EXPECT_EQ(m_store.CountItemsPerRun(), expected);
}

TEST_P(StoreTest, CheckItemsTableFailsOnlyWithoutTheTable) {
    EXPECT_NO_THROW(m_store.CheckItemsTable());
    m_temp.Execute("drop table Items");
    try {
        m_store.CheckItemsTable();
        FAIL() << "a file without Items passed";
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.what(), MissingTable(GetParam(), "Items"));
    }
}

TEST_P(StoreTest, ColumnsAreReadByNameWhateverTheirOrderAndCase) {
    m_temp.Execute("drop table ItemList");
    m_temp.Execute(
        "create table ItemList (LASTCOMMENT text, lastsell text, updatetime text, "
        "ALLOW_QUANTITY integer, PV integer, commentCount integer, sellAmount real, "
        "SELLCOUNT integer, buyercount integer, PRICE real, Title text, itemid text, SID text)");
    ItemRow row = Item("run", "42", At("2012-04-05 10:20:33.000"));
    row.title = "t";
    row.price = 1.5;
    row.pv = 77;
    row.Commentcount = 6;
    m_store.AppendItem(row);
    const auto items = m_store.ReadItems("run", At("2012-04-05 00:00:00.000"));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].ItemID, "42");
    EXPECT_EQ(items[0].title, "t");
    EXPECT_EQ(items[0].price, 1.5);
    EXPECT_EQ(items[0].pv, 77);
    EXPECT_EQ(items[0].Commentcount, 6);
    EXPECT_EQ(items[0].lastSell, row.lastSell);

    m_temp.Execute("alter table ItemList drop column PV");
    try {
        m_store.ReadItems("run");
        FAIL() << "a missing column read as a value";
    } catch (const DatabaseError& error) {
        EXPECT_STREQ(error.what(), "no such column: pv");
    }
}

TEST_P(StoreTest, UnsetColumnsKeepTheirDefaults) {
    m_temp.Execute("insert into ItemList (sid, ItemID) values ('run', '1')");
    // A time the file holds as unreadable text; the server's column cannot hold one, but NULL.
    m_temp.Execute(
        std::string("insert into BuyerList (sid, itemid, buytime) values ('run', '1', ") +
        (GetParam() == StoreKind::File ? "'garbage')" : "null)"));
    const auto items = m_store.ReadItems("run");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].title, "");
    EXPECT_EQ(items[0].price, 0.0);
    EXPECT_EQ(items[0].lastSell, DateTime());
    EXPECT_TRUE(m_store.ReadItems("run", At("1900-01-01 00:00:00.000")).empty());
    const auto buyers = m_store.ReadBuyers("run", "1");
    ASSERT_EQ(buyers.size(), 1u);
    EXPECT_EQ(buyers[0].buytime, DateTime());
    EXPECT_EQ(buyers[0].AddTime, DateTime());
}

class StoreThreads : public testing::TestWithParam<StoreKind> {};

INSTANTIATE_TEST_SUITE_P(Stores, StoreThreads, kBothStores, StoreName);

TEST_P(StoreThreads, RowsAppendedFromManyConnectionsAtOnceAreAllStored) {
    const TempStore temp(GetParam());
    constexpr int kThreads = 8;
    constexpr int kRowsEach = 400;
    std::mutex failuresMutex;
    std::vector<std::string> failures;
    const auto record = [&](const std::string& what) {
        const std::lock_guard lock(failuresMutex);
        failures.push_back(what);
    };

    std::atomic<int> finished{0};
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&, t] {
            try {
                Store store = temp.Open();
                const std::string itemid = "item" + std::to_string(t);
                for (int k = 0; k < kRowsEach; ++k) {
                    store.AppendBuyer(Buyer("run", itemid, {}, std::to_string(k)));
                }
                store.AppendItem(Item("run", itemid));
            } catch (const std::exception& error) {
                record(error.what());
            }
            ++finished;
        });
    }
    // The views read while a run writes; neither side may get a busy error.
    std::thread reader([&] {
        try {
            Store store = temp.Open();
            do {
                for (int t = 0; t < kThreads; ++t) {
                    const auto rows = store.ReadBuyers("run", "item" + std::to_string(t));
                    if (rows.size() > std::size_t{kRowsEach}) {
                        record("more rows than written for thread " + std::to_string(t));
                    }
                }
            } while (finished.load() < kThreads);
        } catch (const std::exception& error) {
            record(error.what());
        }
    });
    for (std::thread& writer : writers) {
        writer.join();
    }
    reader.join();
    EXPECT_EQ(failures, std::vector<std::string>{});

    Store store = temp.Open();
    for (int t = 0; t < kThreads; ++t) {
        std::set<std::string> seen;
        for (const BuyerRow& row : store.ReadBuyers("run", "item" + std::to_string(t))) {
            seen.insert(row.Buyer);
        }
        EXPECT_EQ(seen.size(), std::size_t{kRowsEach}) << "thread " << t;
    }
    EXPECT_EQ(temp.Count("select count(*) from BuyerList"), kThreads * kRowsEach);
}

}  // namespace
}  // namespace tarnwick
