#include "export/NickExport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "export/XlsxExport.h"
#include "store/Store.h"
#include "support/TempDatabase.h"

namespace tarnwick::test {
namespace {

namespace fs = std::filesystem;

struct Review {
    std::string nick;
    int day;  // of April 2012: a later day is a newer review
};

struct Item {
    std::string sid;
    std::string id;
    std::vector<Review> reviews;  // stored in this order, which is not the newest-first order
};

struct NickCase {
    std::string what;
    std::vector<Item> stored;
    std::vector<std::pair<std::string, std::string>> chosen;
    std::vector<std::string> expected;
};

std::vector<std::string> Collect(const NickCase& c) {
    TempDatabase database;
    Store store(Database::Open(database.Path()));
    for (const Item& item : c.stored) {
        for (const Review& review : item.reviews) {
            RateRow row;
            row.sid = item.sid;
            row.itemid = item.id;
            row.displayUserNick = review.nick;
            row.rateDate = DateTime::FromParts({2012, 4, review.day, 10, 0, 0, 0});
            store.AppendRate(row);
        }
    }
    return CollectReviewerNicks(store, c.chosen);
}

TEST(NickExportTest, CollectsEachVisibleNickOnceInTheOrderFirstMet) {
    const std::string s = "20120405102033123";
    const std::vector<NickCase> cases = {
        {"newest first within an item, items in the chosen order",
         {{s, "1", {{"old", 1}, {"newest", 9}, {"middle", 5}}}, {s, "2", {{"second-item", 3}}}},
         {{s, "2"}, {s, "1"}},
         {"second-item", "newest", "middle", "old"}},
        {"letter case does not make another nick, on one item or across items",
         {{s, "1", {{"Alice", 9}, {"ALICE", 8}, {"bob", 7}}}, {s, "2", {{"alice", 9}, {"BoB", 8}}}},
         {{s, "1"}, {s, "2"}},
         {"Alice", "bob"}},
        {"full-width, Greek, Cyrillic letters and Roman numerals fold like ASCII",
         {{s,
           "1",
           {{"Ａｂｃ", 9},
            {"ａＢＣ", 8},
            {"ΣΩ", 7},
            {"σω", 6},
            {"ДЁ", 5},
            {"дё", 4},
            {"Ⅱ号店", 3},
            {"ⅱ号店", 2}}}},
         {{s, "1"}},
         {"Ａｂｃ", "ΣΩ", "ДЁ", "Ⅱ号店"}},
        {"Chinese nicks and near misses stay apart",
         {{s, "1", {{"张三", 9}, {"張三", 8}, {"张三1", 7}, {"abc", 6}, {"abd", 5}, {"ａbc", 4}}}},
         {{s, "1"}},
         {"张三", "張三", "张三1", "abc", "abd", "ａbc"}},
        {"masked nicks are left out wherever the asterisks stand",
         {{s, "1", {{"a**b", 9}, {"**lead", 8}, {"tail**", 7}, {"**", 6}, {"one*star", 5}}},
          {s, "2", {{"x***y", 9}, {"kept", 8}}}},
         {{s, "1"}, {s, "2"}},
         {"one*star", "kept"}},
        {"an empty nick is a nick, once",
         {{s, "1", {{"", 9}, {"a", 8}, {"", 7}}}, {s, "2", {{"", 9}}}},
         {{s, "1"}, {s, "2"}},
         {"", "a"}},
        {"nothing chosen", {{s, "1", {{"a", 9}}}}, {}, {}},
        {"only the chosen run's reviews of the chosen items",
         {{s, "1", {{"mine", 9}}},
          {"20991231000000000", "1", {{"other-run", 9}}},
          {s, "3", {{"other-item", 9}}},
          {s, "4", {}}},
         {{s, "1"}, {s, "4"}, {s, "missing"}},
         {"mine"}},
        {"an item chosen twice adds nothing the second time",
         {{s, "1", {{"a", 9}, {"b", 8}}}},
         {{s, "1"}, {s, "1"}},
         {"a", "b"}},
    };
    for (const NickCase& c : cases) {
        EXPECT_EQ(Collect(c), c.expected) << c.what;
    }
}

TEST(NickFileNameTest, AddsTxtOnlyWhenTheNameDoesNotEndSo) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"buyers", "buyers.txt"},
        {"buyers.txt", "buyers.txt"},
        {"buyers.TXT", "buyers.TXT"},
        {"buyers.Txt", "buyers.Txt"},
        {"/tmp/out/buyers", "/tmp/out/buyers.txt"},
        {"buyers.csv", "buyers.csv.txt"},
        {"buyerstxt", "buyerstxt.txt"},
        {"buyers.txt.bak", "buyers.txt.bak.txt"},
        {".txt", ".txt"},
        {"", ".txt"},
    };
    for (const auto& [chosen, expected] : cases) {
        EXPECT_EQ(NickFileName(chosen), expected) << chosen;
    }
}

class NickFileTest : public ::testing::Test {
protected:
    NickFileTest() : m_folder(TempDatabase::MakeTempFolder()) {}
    ~NickFileTest() override { fs::remove_all(m_folder); }
    std::string PathOf(const std::string& name) const { return (m_folder / name).string(); }

    static std::string Bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path m_folder;
};

TEST_F(NickFileTest, WritesGbkLinesEndedByCrLf) {
    struct Case {
        std::vector<std::string> nicks;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {{"张三", "bob", "", "Ａａ"}, "\xD5\xC5\xC8\xFD\r\nbob\r\n\r\n\xA3\xC1\xA3\xE1\r\n"},
        {{"买家"}, "\xC2\xF2\xBC\xD2\r\n"},
        {{""}, "\r\n"},
        {{}, ""},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string path = PathOf("nicks" + std::to_string(i) + ".txt");
        WriteNickFile(path, cases[i].nicks);
        EXPECT_EQ(Bytes(path), cases[i].bytes) << i;
    }
}

TEST_F(NickFileTest, OverwritesAnOldFileCompletely) {
    const std::string path = PathOf("buyers.txt");
    WriteNickFile(path, {"a long first nick", "another"});
    WriteNickFile(path, {"b"});
    EXPECT_EQ(Bytes(path), "b\r\n");
    WriteNickFile(path, {});
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(fs::file_size(path), 0u);
}

TEST_F(NickFileTest, FileThatCannotBeWrittenRaisesExportErrorNamingThePath) {
    for (const std::string& path : {PathOf("missing/buyers.txt"), m_folder.string()}) {
        try {
            WriteNickFile(path, {"a"});
            ADD_FAILURE() << "no ExportError for " << path;
        } catch (const ExportError& error) {
            EXPECT_NE(std::string(error.what()).find("\"" + path + "\""), std::string::npos)
                << error.what();
        }
    }
}

TEST_F(NickFileTest, FullDiskIsReportedNotSwallowed) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full here";
    }
    // Small writes sit in the buffer until the close, which is where the failure surfaces.
    EXPECT_THROW(WriteNickFile("/dev/full", {"a", "b"}), ExportError);
}

}  // namespace
}  // namespace tarnwick::test
