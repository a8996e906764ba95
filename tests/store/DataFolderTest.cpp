#include "store/DataFolder.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

// An installed layout in a temporary folder: prefix/bin (the program's), prefix/share/tarnwick
// with the shipped database, and home/ for the user's data folder.
class DataFolderTest : public testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("tarnwick-data-" + std::to_string(::getpid()) + "-" +
                testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "prefix/bin");
        fs::create_directories(root / "prefix/share/tarnwick");
        std::ofstream(root / "prefix/share/tarnwick/vexodb.qdb") << "shipped";
        bin = (root / "prefix/bin").string() + "/";
        user = (root / "home/tarnwick").string() + "/";
    }
    void TearDown() override { fs::remove_all(root); }
    // The folder counts as read-only by the caller's word: a test running as root may write
    // anywhere.
    DataFolderChoice Choose(bool binWritable) {
        return ChooseDataFolder(bin, user, ShippedDatabase(bin), binWritable);
    }
    static std::string Contents(const std::string& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path root;
    std::string bin;
    std::string user;
};

TEST_F(DataFolderTest, ADatabaseBesideTheProgramOrAWritableFolderKeepsTheProgramFolder) {
    // Writable and empty: the program folder, as always (the missing file is then reported).
    DataFolderChoice choice = Choose(true);
    EXPECT_EQ(choice.folder, bin);
    EXPECT_FALSE(choice.copiedShipped);
    // Read-only but holding the partner's file.
    std::ofstream(bin + "Tarnwick_zq.qdb") << "partner";
    choice = Choose(false);
    EXPECT_EQ(choice.folder, bin);
    EXPECT_FALSE(fs::exists(user));
}

TEST_F(DataFolderTest, AnInstalledProgramCopiesTheShippedDatabaseOnceIntoTheUsersFolder) {
    DataFolderChoice first = Choose(false);
    EXPECT_EQ(first.folder, user);
    EXPECT_TRUE(first.copiedShipped);
    EXPECT_EQ(first.failure, "");
    EXPECT_EQ(Contents(user + "vexodb.qdb"), "shipped");
    EXPECT_FALSE(fs::exists(user + "vexodb.qdb.part"));

    // The user's analyses are never overwritten by the empty copy again.
    std::ofstream(user + "vexodb.qdb") << "analyses";
    DataFolderChoice second = Choose(false);
    EXPECT_EQ(second.folder, user);
    EXPECT_FALSE(second.copiedShipped);
    EXPECT_EQ(Contents(user + "vexodb.qdb"), "analyses");
}

TEST_F(DataFolderTest, AMissingShippedDatabaseIsAFailureWithNoHalfCopyLeft) {
    fs::remove(root / "prefix/share/tarnwick/vexodb.qdb");
    DataFolderChoice choice = Choose(false);
    EXPECT_EQ(choice.folder, user);
    EXPECT_FALSE(choice.copiedShipped);
    EXPECT_NE(choice.failure.find("vexodb.qdb"), std::string::npos) << choice.failure;
    EXPECT_FALSE(fs::exists(user + "vexodb.qdb"));
    EXPECT_FALSE(fs::exists(user + "vexodb.qdb.part"));
}

TEST(DataFolderPaths, UserFolderFollowsXdgThenHome) {
    const char* savedXdg = std::getenv("XDG_DATA_HOME");
    const std::string xdg = savedXdg ? savedXdg : "";
    ::setenv("XDG_DATA_HOME", "/data/me", 1);
    EXPECT_EQ(UserDataFolder(), "/data/me/tarnwick/");
    // A relative XDG_DATA_HOME is to be ignored.
    ::setenv("XDG_DATA_HOME", "relative", 1);
    ::setenv("HOME", std::getenv("HOME") ? std::getenv("HOME") : "/root", 1);
    EXPECT_EQ(UserDataFolder(), std::string(std::getenv("HOME")) + "/.local/share/tarnwick/");
    if (savedXdg) {
        ::setenv("XDG_DATA_HOME", xdg.c_str(), 1);
    } else {
        ::unsetenv("XDG_DATA_HOME");
    }
    EXPECT_EQ(ShippedDatabase("/usr/bin/"), "/usr/bin/../share/tarnwick/vexodb.qdb");
}

}  // namespace
}  // namespace tarnwick
