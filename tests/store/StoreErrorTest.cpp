// The kind of a store's failure, as each engine reports it, for what its callers decide on.
#include "store/StoreError.h"

#include <chrono>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "store/Database.h"
#include "store/PgConnection.h"
#include "store/Store.h"
#include "support/TempDatabase.h"
#include "support/TempStore.h"

namespace tarnwick {
namespace {

using namespace std::chrono_literals;
using test::StoreKind;
using test::TempDatabase;
using test::TempStore;

// The kind of what `action` throws; a test fails when it throws nothing or something else.
StoreErrorKind KindThrownBy(const std::function<void()>& action) {
    try {
        action();
    } catch (const StoreError& error) {
        return error.Kind();
    }
    ADD_FAILURE() << "no StoreError";
    return StoreErrorKind::Other;
}

TEST(StoreErrorKind, TheFileEngineSaysWhatFailed) {
    const TempDatabase temp;
    const std::string garbage = temp.WriteFile("garbage.qdb", std::string(4096, 'x'));
    const std::string empty = temp.WriteFile("empty.qdb", "");
    EXPECT_EQ(KindThrownBy([&] { Database::Open(garbage); }), StoreErrorKind::Corrupt);
    EXPECT_EQ(KindThrownBy([&] { Database::Open(empty); }), StoreErrorKind::Corrupt);
    EXPECT_EQ(KindThrownBy([&] { Database::Open(temp.FolderWithSeparator() + "missing.qdb"); }),
              StoreErrorKind::Other);

    Database db = Database::Open(temp.Path());
    db.Execute("create temp table once (x integer primary key)");
    db.Execute("insert into once values (1)");
    EXPECT_EQ(KindThrownBy([&] { db.Execute("insert into once values (1)"); }),
              StoreErrorKind::Constraint);
    EXPECT_EQ(KindThrownBy([&] { db.Execute("select * from NoSuchTable"); }),
              StoreErrorKind::Other);

    // A file that may grow no further, as on a full disk.
    Statement pages(db.Handle(), "pragma page_count");
    ASSERT_TRUE(pages.Step());
    db.Execute("pragma max_page_count=" + std::to_string(pages.Int(0)));
    Store store(std::move(db));
    ShopRow shop;
    shop.WWName = std::string(20000, 'n');
    EXPECT_EQ(KindThrownBy([&] {
                  for (int i = 0; i < 100; ++i) {
                      shop.SID = std::to_string(i);
                      store.AppendShop(shop);
                  }
              }),
              StoreErrorKind::Full);

    // Root may write any file, so the engine is told instead.
    Database reader = Database::Open(temp.Path());
    reader.Execute("pragma query_only=1");
    EXPECT_EQ(KindThrownBy([&] { reader.Execute("delete from ShopList"); }),
              StoreErrorKind::ReadOnly);

    BusyLimits saved = Database::GetBusyLimits();
    BusyLimits brief;
    brief.total = 100ms;
    brief.engineWait = 20ms;
    Database::SetBusyLimits(brief);
    Database holder = Database::Open(temp.Path());
    holder.Execute("begin immediate");
    Database writer = Database::Open(temp.Path());
    EXPECT_EQ(KindThrownBy([&] { writer.CheckWritable(); }), StoreErrorKind::Busy);
    holder.Execute("rollback");
    Database::SetBusyLimits(saved);
}

TEST(StoreErrorKind, TheServerSaysWhatFailed) {
    const TempStore temp(StoreKind::Server);
    PgConnection db = PgConnection::Open(temp.Location());
    const std::string claim = "insert into RunKeys (SID, ClaimedAt) values ('k', now())";
    db.Run(claim, {});
    EXPECT_EQ(KindThrownBy([&] { db.Run(claim, {}); }), StoreErrorKind::Constraint);
    EXPECT_EQ(KindThrownBy([&] { db.Run("select * from NoSuchTable", {}); }),
              StoreErrorKind::Other);

    // A table another program keeps locked past our wait.
    PgConnection holder = PgConnection::Open(temp.Location());
    holder.ExecuteScript("begin; lock table ShopList in access exclusive mode");
    db.ExecuteScript("set lock_timeout = '100ms'");
    EXPECT_EQ(KindThrownBy([&] { db.Run("select count(*) from ShopList", {}); }),
              StoreErrorKind::Busy);
    holder.ExecuteScript("rollback");

    // As on a standby server, or for a user whose default is read-only.
    db.ExecuteScript("set default_transaction_read_only = on");
    EXPECT_EQ(KindThrownBy([&] { db.Run("delete from ShopList", {}); }), StoreErrorKind::ReadOnly);

    EXPECT_EQ(KindThrownBy(
                  [] { PgConnection::Open("postgresql:///postgres?host=/nonexistent-tarnwick"); }),
              StoreErrorKind::ConnectionLost);
}

}  // namespace
}  // namespace tarnwick
