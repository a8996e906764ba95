// The row cursor and the statements written once, on both engines: each engine binds the same
// parameters and hands back the same values.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "store/PostgresStore.h"
#include "store/SqliteStore.h"
#include "support/TempStore.h"

namespace tarnwick::test {
namespace {

class RowCursorTest : public ::testing::TestWithParam<StoreKind> {
protected:
    std::unique_ptr<SqlStore> OpenSql() const {
        if (GetParam() == StoreKind::File) {
            return std::make_unique<SqliteStore>(Database::Open(m_temp.Location()));
        }
        return std::make_unique<PostgresStore>(PgConnection::Open(m_temp.Location()));
    }

    // Every row's first column as text, and the cursor's answers after its last row.
    std::vector<std::string> Firsts(SqlStore& store, const char* sql,
                                    std::vector<SqlValue> params) const {
        std::vector<std::string> firsts;
        store.Select(sql, params, [&](RowCursor& cursor) {
            while (cursor.Next()) {
                firsts.push_back(cursor.Text(0));
            }
            EXPECT_FALSE(cursor.Next()) << "a cursor past its end stays there";
        });
        return firsts;
    }

    TempStore m_temp{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Stores, RowCursorTest, testing::Values(StoreKind::File, StoreKind::Server),
                         [](const auto& info) { return KindName(info.param); });

TEST_P(RowCursorTest, NumberedParametersRepeatAndQuotedQuestionMarksStayText) {
    const std::unique_ptr<SqlStore> store = OpenSql();
    const char* insert =
        "insert into ItemReads (sid, seq, ItemID, state, answer) values (?, ?, ?, ?, ?)";
    const std::vector<std::vector<SqlValue>> rows = {{"r", 1, "i1", "read", ""},
                                                     {"r", 2, "i2", "failed", "http"},
                                                     {"r", 3, "i3", "blocked", "failed"}};
    for (const std::vector<SqlValue>& row : rows) {
        EXPECT_EQ(store->Execute(insert, row), 1);
    }
    // ?2 stands twice and after ?3: each engine must take the same value for both places.
    EXPECT_EQ(Firsts(*store,
                     "select ItemID from ItemReads where seq>?3 and sid=?1 and (state=?2 or "
                     "answer=?2) order by seq",
                     {"r", "failed", 1}),
              (std::vector<std::string>{"i2", "i3"}));
    EXPECT_EQ(
        Firsts(*store, "select 'why?' || ItemID from ItemReads where sid=? and seq=?", {"r", 2}),
        (std::vector<std::string>{"why?i2"}));
    EXPECT_TRUE(Firsts(*store, "select ItemID from ItemReads where sid=?", {"none"}).empty());
    EXPECT_EQ(store->Execute("delete from ItemReads where sid=? and seq<=?",
                             std::vector<SqlValue>{"r", 2}),
              2);
}

TEST_P(RowCursorTest, ColumnsAreFoundWithoutCaseAndNullReadsAsTheZeroValue) {
    const std::unique_ptr<SqlStore> store = OpenSql();
    store->Execute("insert into ItemList (sid, ItemID) values (?, ?)",
                   std::vector<SqlValue>{"r", "42"});
    int rows = 0;
    store->Select(
        "select ItemID, null as title, null as pv, null as price, null as lastSell "
        "from ItemList",
        {}, [&](RowCursor& cursor) {
            while (cursor.Next()) {
                ++rows;
                EXPECT_EQ(cursor.Text(cursor.ColumnIndex("ITEMID")), "42");
                EXPECT_EQ(cursor.ColumnIndex("noSuchColumn"), -1);
                EXPECT_EQ(cursor.Text(cursor.ColumnIndex("title")), "");
                EXPECT_EQ(cursor.Int(cursor.ColumnIndex("pv")), 0);
                EXPECT_EQ(cursor.Real(cursor.ColumnIndex("price")), 0.0);
                EXPECT_EQ(cursor.Time(cursor.ColumnIndex("lastSell")), DateTime());
            }
        });
    EXPECT_EQ(rows, 1);
}

}  // namespace
}  // namespace tarnwick::test
