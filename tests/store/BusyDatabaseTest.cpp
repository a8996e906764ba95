// A database that another program locks, and values the engine holds beyond 32 bits.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <thread>

#include "store/Database.h"
#include "store/Store.h"
#include "support/TempDatabase.h"

namespace tarnwick {
namespace {

using namespace std::chrono_literals;
using test::TempDatabase;

// Short waits for the test; the defaults come back however the test ends.
class BusyLimitsScope {
public:
    explicit BusyLimitsScope(std::chrono::milliseconds total) : m_saved(Database::GetBusyLimits()) {
        BusyLimits limits;
        limits.total = total;
        limits.engineWait = 20ms;
        limits.maxBackoff = 50ms;
        Database::SetBusyLimits(limits);
    }
    ~BusyLimitsScope() { Database::SetBusyLimits(m_saved); }

private:
    BusyLimits m_saved;
};

ShopRow Shop(const std::string& sid) {
    ShopRow row;
    row.SID = sid;
    row.WWName = "掌柜" + sid;
    return row;
}

int CountShops(const std::string& path) {
    Database reader = Database::Open(path);
    Statement count(reader.Handle(), "select count(*) from ShopList");
    EXPECT_TRUE(count.Step());
    return count.Int(0);
}

TEST(BusyDatabase, AWriteRefusedForALockLeavesTheConnectionUsable) {
    const TempDatabase temp;
    const BusyLimitsScope limits(150ms);
    Store store(Database::Open(temp.Path()));
    {
        // Another program holds the write lock past our whole wait.
        Database other = Database::Open(temp.Path());
        other.Execute("begin immediate");
        EXPECT_THROW(store.AppendShop(Shop("1")), DatabaseError);
        other.Execute("rollback");
    }
    // Without a reset, the failed insert would stay active: the next one would "succeed" into
    // a transaction that never commits, and keep the file's write lock from everyone else.
    store.AppendShop(Shop("2"));
    EXPECT_EQ(CountShops(temp.Path()), 1);
    Database third = Database::Open(temp.Path());
    EXPECT_NO_THROW(third.Execute("begin immediate"));
    third.Execute("rollback");
}

TEST(BusyDatabase, ALockHeldLongerThanTheEnginesWaitIsWaitedOut) {
    const TempDatabase temp;
    const BusyLimitsScope limits(20s);
    Database other = Database::Open(temp.Path());
    other.Execute("begin immediate");
    std::thread holder([&] {
        std::this_thread::sleep_for(400ms);  // twenty engine waits
        other.Execute("commit");
    });
    Store store(Database::Open(temp.Path()));
    EXPECT_NO_THROW(store.AppendShop(Shop("1")));
    holder.join();
    EXPECT_EQ(CountShops(temp.Path()), 1);
}

TEST(BusyDatabase, CheckWritableFailsOnALockThatIsNeverLetGoAndOnAnUnwritableJournal) {
    const TempDatabase temp;
    Database db = Database::Open(temp.Path());
    EXPECT_NO_THROW(db.CheckWritable());
    {
        const BusyLimitsScope limits(100ms);
        Database other = Database::Open(temp.Path());
        other.Execute("begin immediate");
        EXPECT_THROW(db.CheckWritable(), DatabaseError);
        other.Execute("rollback");
    }
    EXPECT_NO_THROW(db.CheckWritable());
    // Nothing was written by the checks.
    EXPECT_EQ(CountShops(temp.Path()), 0);
}

TEST(BusyDatabase, IntegersBeyond32BitsAreHeldAtTheBoundNotWrapped) {
    const TempDatabase temp;
    Database db = Database::Open(temp.Path());
    Statement values(db.Handle(), "select ?, ?, ?");
    values.Bind(1, std::int64_t{1} << 40)
        .Bind(2, -(std::int64_t{1} << 40))
        .Bind(3, std::int64_t{4294967297});
    ASSERT_TRUE(values.Step());
    EXPECT_EQ(values.Int64(0), std::int64_t{1} << 40);
    EXPECT_EQ(values.Int(0), INT32_MAX);
    EXPECT_EQ(values.Int(1), INT32_MIN);
    EXPECT_EQ(values.Int(2), INT32_MAX);  // wrapped, this would read as 1
}

}  // namespace
}  // namespace tarnwick
