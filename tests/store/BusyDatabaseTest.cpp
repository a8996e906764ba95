// A database that another program locks, and values the engine holds beyond 32 bits.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

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

// A page's rows wait out another program's lock as one row does, but hold nothing of ours
// while they wait: the other writers of this process take our lock meanwhile. A lock held past
// the wait fails the page whole and leaves the connection usable.
TEST(BusyDatabase, APageWaitsOutALockWithoutHoldingOurs) {
    const TempDatabase temp;
    BuyerRow row;
    row.sid = "s";
    row.Buyer = "b";
    const std::vector<BuyerRow> page(15, row);
    const auto countBuyers = [&] {
        Database reader = Database::Open(temp.Path());
        Statement count(reader.Handle(), "select count(*) from BuyerList");
        EXPECT_TRUE(count.Step());
        return count.Int(0);
    };
    Store store(Database::Open(temp.Path()));
    Database other = Database::Open(temp.Path());
    {
        const BusyLimitsScope limits(150ms);
        other.Execute("begin immediate");
        EXPECT_THROW(store.AppendBuyers(page), DatabaseError);
        other.Execute("rollback");
        EXPECT_EQ(countBuyers(), 0);
    }

    const BusyLimitsScope limits(20s);
    other.Execute("begin immediate");
    bool stored = false;
    std::thread writer([&] {
        try {
            store.AppendBuyers(page);
            stored = true;
        } catch (const DatabaseError&) {
        }
    });
    Database probe = Database::Open(temp.Path());
    int free = 0;
    for (int i = 0; i < 20; ++i) {
        std::this_thread::sleep_for(10ms);
        if (probe.WriteMutex().try_lock()) {
            probe.WriteMutex().unlock();
            ++free;
        }
    }
    other.Execute("commit");
    writer.join();
    EXPECT_TRUE(stored);
    EXPECT_GE(free, 3);
    EXPECT_EQ(countBuyers(), 15);
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
