#include "export/AtomicFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "export/XlsxExport.h"
#include "support/TempDatabase.h"

namespace tarnwick::test {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class AtomicFileTest : public ::testing::Test {
protected:
    AtomicFileTest() : m_folder(TempDatabase::MakeTempFolder()) {
        std::ofstream(m_target) << "old";
    }
    ~AtomicFileTest() override { fs::remove_all(m_folder); }
    std::size_t Entries() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()));
    }

    fs::path m_folder;
    fs::path m_target = m_folder / "items.csv";
};

TEST_F(AtomicFileTest, TargetChangesOnlyOnCommitAndAnAbandonedFileLeavesNothing) {
    {
        AtomicFile file(m_target.string());
        file.Write("new, half");
        EXPECT_EQ(Contents(m_target), "old");
        EXPECT_EQ(fs::path(file.TemporaryPath()).parent_path(), m_folder);
        EXPECT_EQ(Entries(), 2u);
    }
    EXPECT_EQ(Contents(m_target), "old");
    EXPECT_EQ(Entries(), 1u);

    AtomicFile file(m_target.string());
    file.Write("new, ");
    file.Write("whole");
    file.Commit();
    EXPECT_EQ(Contents(m_target), "new, whole");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(AtomicFileTest, KilledWhileWritingLeavesTheOldFileUnderItsName) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        AtomicFile file(m_target.string());
        file.Write(std::string(1 << 20, 'x'));
        raise(SIGKILL);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(Contents(m_target), "old");
    // What the kill left is a hidden temporary file beside it, never the target's name.
    for (const auto& entry : fs::directory_iterator(m_folder)) {
        if (entry.path() != m_target) {
            EXPECT_EQ(entry.path().filename().string().rfind(".items.csv.", 0), 0u) << entry.path();
        }
    }
}

// A link planted where a temporary file could be, or at the target itself, never makes us
// write into the file it points to.
TEST_F(AtomicFileTest, LinksAreNeverWrittenThrough) {
    const fs::path victim = m_folder / "victim";
    std::ofstream(victim) << "precious";
    // The name the command line's exports used to write to first.
    fs::create_symlink(victim, m_target.string() + ".part" + std::to_string(getpid()));
    const fs::path link = m_folder / "link.csv";
    fs::create_symlink(victim, link);

    WriteFileAtomically(m_target.string(), "new");
    WriteFileAtomically(link.string(), "through the link?");

    EXPECT_EQ(Contents(victim), "precious");
    EXPECT_EQ(Contents(m_target), "new");
    // The link itself is replaced by the new file.
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(Contents(link), "through the link?");
}

// Renaming over a device or a pipe would replace the node itself (/dev/full becoming a file):
// such a target is written in place, and a link to one is refused.
TEST_F(AtomicFileTest, APipeIsWrittenInPlaceAndALinkToOneRefused) {
    const fs::path pipe = m_folder / "pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = Contents(pipe); });
    WriteFileAtomically(pipe.string(), "through the pipe");
    reader.join();
    EXPECT_EQ(received, "through the pipe");
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(pipe)));

    const fs::path link = m_folder / "link";
    fs::create_symlink(pipe, link);
    EXPECT_THROW(WriteFileAtomically(link.string(), "x"), ExportError);
    EXPECT_TRUE(fs::is_symlink(link));
}

TEST_F(AtomicFileTest, ReplacingKeepsTheFilesPermissions) {
    fs::permissions(m_target, fs::perms::owner_read | fs::perms::owner_write);
    WriteFileAtomically(m_target.string(), "new");
    EXPECT_EQ(fs::status(m_target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(AtomicFileTest, FailuresNameThePathAndLeaveNothingBehind) {
    const std::string missing = (m_folder / "no" / "file.csv").string();
    for (const std::string& path : {missing, m_folder.string(), std::string()}) {
        SCOPED_TRACE(path);
        try {
            WriteFileAtomically(path, "x");
            ADD_FAILURE() << "no ExportError";
        } catch (const ExportError& error) {
            EXPECT_NE(std::string(error.what()).find("\"" + path + "\""), std::string::npos)
                << error.what();
        }
    }
    EXPECT_EQ(Entries(), 1u);
}

}  // namespace
}  // namespace tarnwick::test
