#include "store/Database.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "support/TempDatabase.h"

namespace tarnwick {
namespace {

using test::TempDatabase;

std::string OpenFailure(const std::string& path) {
    try {
        Database::Open(path);
    } catch (const DatabaseError& error) {
        return error.what();
    }
    return "(opened)";
}

TEST(Database, OpeningFailsWithTheEnginesTextAndCreatesNothing) {
    const TempDatabase temp("");
    const std::string missing = (temp.Folder() / "vexodb.qdb").string();
    EXPECT_EQ(OpenFailure(missing), "unable to open database file");
    EXPECT_FALSE(std::filesystem::exists(missing));

    EXPECT_EQ(OpenFailure(temp.WriteFile("garbage.qdb", std::string(4096, '\x5a'))),
              "file is not a database");
    EXPECT_EQ(OpenFailure(temp.WriteFile("short.qdb", "Standard Jet DB")),
              "file is not a database");

    // A zero-byte file would otherwise pass for an empty database and be written into.
    const std::string empty = temp.WriteFile("empty.qdb", "");
    EXPECT_EQ(OpenFailure(empty), "file is not a database");
    EXPECT_EQ(std::filesystem::file_size(empty), 0u);
}

TEST(Database, OpensTheShippedFileInWalMode) {
    const TempDatabase temp;
    Database db = Database::Open(temp.Path());
    Statement mode(db.Handle(), "pragma journal_mode");
    ASSERT_TRUE(mode.Step());
    EXPECT_EQ(mode.Text(0), "wal");
    Statement tables(db.Handle(), "select count(*) from sqlite_master where type='table'");
    ASSERT_TRUE(tables.Step());
    // The five the program reads and writes; RunHealth, RunKeys, RunOutcome and ItemReads; the
    // watch list, its leases, alerts and channels.
    EXPECT_EQ(tables.Int(0), 13);
}

TEST(Database, StatementErrorsCarryTheEnginesText) {
    const TempDatabase temp;
    Database db = Database::Open(temp.Path());
    try {
        db.Execute("select * from Nope");
        FAIL() << "a missing table was accepted";
    } catch (const DatabaseError& error) {
        EXPECT_STREQ(error.what(), "no such table: Nope");
    }
    // Only the first of two statements would run; refusing the text keeps that from hiding.
    EXPECT_THROW(db.Execute("delete from ShopList; delete from ItemList"), DatabaseError);
    EXPECT_NO_THROW(db.Execute("select 1;  \n"));
}

TEST(Database, ColumnsAreFoundWithoutRegardToCase) {
    const TempDatabase temp;
    Database db = Database::Open(temp.Path());
    Statement query(db.Handle(), "select 1 as Commentcount, 2 as pv, 3 as Sid");
    EXPECT_EQ(query.ColumnIndex("commentCount"), 0);
    EXPECT_EQ(query.ColumnIndex("PV"), 1);
    EXPECT_EQ(query.ColumnIndex("SID"), 2);
    EXPECT_EQ(query.ColumnIndex("sid "), -1);
    EXPECT_EQ(query.ColumnIndex("nothing"), -1);
}

TEST(Database, ValuesAreBoundNotPasted) {
    const TempDatabase temp;
    Database db = Database::Open(temp.Path());
    Statement echo(db.Handle(), "select ?, ?, ?, ?, typeof(?)");
    echo.Bind(1, std::string_view("it'em\"; drop table ShopList; --"))
        .Bind(2, std::int32_t{-7})
        .Bind(3, 12.5)
        .Bind(4, DateTime::FromText("2012-04-05 10:20:33.123"))
        .Bind(5, std::string_view());
    ASSERT_TRUE(echo.Step());
    EXPECT_EQ(echo.Text(0), "it'em\"; drop table ShopList; --");
    EXPECT_EQ(echo.Int(1), -7);
    EXPECT_EQ(echo.Real(2), 12.5);
    EXPECT_EQ(echo.Text(3), "2012-04-05 10:20:33.123");
    EXPECT_EQ(echo.Time(3).ToText(), "2012-04-05 10:20:33.123");
    // An empty view has no data pointer; it must still be an empty text, not NULL.
    EXPECT_EQ(echo.Text(4), "text");
}

TEST(Database, UnreadableTimesReadAsTheZeroValue) {
    const TempDatabase temp;
    Database db = Database::Open(temp.Path());
    Statement query(db.Handle(), "select null, 'soon', 41004.5, '2012-04-05 10:20:33.000'");
    ASSERT_TRUE(query.Step());
    EXPECT_EQ(query.Time(0), DateTime());
    EXPECT_EQ(query.Time(1), DateTime());
    EXPECT_EQ(query.Time(2), DateTime());
    EXPECT_EQ(query.Time(3).ToText(), "2012-04-05 10:20:33.000");
}

TEST(Database, PreparedStatementsAreReusedAndComeBackReset) {
    const TempDatabase temp;
    Database db = Database::Open(temp.Path());
    Statement& first = db.Prepared("select ? union all select 2");
    first.Bind(1, std::int32_t{5});
    ASSERT_TRUE(first.Step());
    EXPECT_EQ(first.Int(0), 5);

    // Left mid-result with a binding; the next user must start over with none.
    Statement& again = db.Prepared("select ? union all select 2");
    EXPECT_EQ(&first, &again);
    ASSERT_TRUE(again.Step());
    EXPECT_EQ(again.Text(0), "");
    ASSERT_TRUE(again.Step());
    EXPECT_EQ(again.Int(0), 2);
    EXPECT_FALSE(again.Step());

    // A moved connection keeps its statements working.
    Database moved = std::move(db);
    Statement& afterMove = moved.Prepared("select ? union all select 2");
    EXPECT_EQ(&afterMove, &first);
    afterMove.Bind(1, std::int32_t{9});
    ASSERT_TRUE(afterMove.Step());
    EXPECT_EQ(afterMove.Int(0), 9);
}

TEST(Database, ConnectionsToOneFileShareTheirWriteMutex) {
    const TempDatabase temp;
    const TempDatabase other;
    Database a = Database::Open(temp.Path());
    Database b = Database::Open((temp.Folder() / "." / "vexodb.qdb").string());
    Database c = Database::Open(other.Path());
    EXPECT_EQ(&a.WriteMutex(), &b.WriteMutex());
    EXPECT_NE(&a.WriteMutex(), &c.WriteMutex());
}

}  // namespace
}  // namespace tarnwick
