// An installed tarnwick-cli whose folder holds no database and cannot be written keeps its
// analyses in the user's data folder, as the desktop program does.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tarnwick::test {
namespace {

namespace fs = std::filesystem;

// Root may write into any folder, so a run as root gives the program to "nobody" for the folder
// to count as read-only.
constexpr uid_t kNobody = 65534;

std::string Contents(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// prefix/bin/tarnwick-cli beside no database, read-only; prefix/share/tarnwick/vexodb.qdb the
// shipped empty database; data/ the user's XDG data folder.
class CliDataFolderTest : public testing::Test {
protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() / ("tarnwick-cli-data-" + std::to_string(::getpid()));
        fs::remove_all(m_root);
        fs::create_directories(m_root / "prefix/bin");
        fs::create_directories(m_root / "prefix/share/tarnwick");
        fs::create_directories(m_root / "data");
        const fs::path built = TARNWICK_CLI;
        fs::copy_file(built, m_root / "prefix/bin/tarnwick-cli");
        fs::copy_file(built.parent_path() / "vexodb.qdb",
                      m_root / "prefix/share/tarnwick/vexodb.qdb");
        // Readable and passable by whoever runs the program; the data folder writable by it.
        for (const fs::path& folder : {m_root, m_root / "prefix", m_root / "prefix/share",
                                       m_root / "prefix/share/tarnwick"}) {
            fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read |
                                        fs::perms::others_exec);
        }
        fs::permissions(m_root / "prefix/share/tarnwick/vexodb.qdb",
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        fs::permissions(m_root / "data", fs::perms::all);
        ReadOnlyBin(true);
    }
    void TearDown() override {
        ReadOnlyBin(false);
        fs::remove_all(m_root);
    }
    void ReadOnlyBin(bool readOnly) {
        const fs::perms open = fs::perms::owner_read | fs::perms::owner_exec |
                               fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec;
        fs::permissions(m_root / "prefix/bin", readOnly ? open : open | fs::perms::owner_write);
    }

    struct Result {
        int code = -1;
        std::string out;
        std::string err;
    };

    // The installed copy with the user's XDG data folder; as "nobody" when the test is root.
    Result Run(std::vector<std::string> args) {
        const fs::path out = m_root / "data" / "out.txt";
        const fs::path err = m_root / "data" / "err.txt";
        const std::string program = (m_root / "prefix/bin/tarnwick-cli").string();
        args.insert(args.begin(), program);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        std::string xdg = "XDG_DATA_HOME=" + (m_root / "data").string();
        std::string home = "HOME=" + (m_root / "data").string();
        char* envp[] = {xdg.data(), home.data(), nullptr};

        const pid_t pid = ::fork();
        if (pid == 0) {
            const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
            const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
            if (outFd < 0 || errFd < 0 || ::dup2(outFd, STDOUT_FILENO) < 0 ||
                ::dup2(errFd, STDERR_FILENO) < 0) {
                ::_exit(126);
            }
            if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
                ::_exit(125);
            }
            ::execve(argv[0], argv.data(), envp);
            ::_exit(127);
        }
        Result result;
        int status = 0;
        if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
            result.code = WEXITSTATUS(status);
        }
        result.out = Contents(out);
        result.err = Contents(err);
        return result;
    }

    fs::path UserDatabase() const { return m_root / "data/tarnwick/vexodb.qdb"; }

    fs::path m_root;
};

TEST_F(CliDataFolderTest, FirstUseCopiesTheShippedDatabaseAndSaysSoOnce) {
    const Result first = Run({"shops"});
    ASSERT_EQ(first.code, 0) << first.err;
    EXPECT_EQ(first.err, "tarnwick-cli: first use: the analyses are kept in " +
                             UserDatabase().string() + "\n");
    ASSERT_TRUE(fs::exists(UserDatabase()));
    EXPECT_EQ(Contents(UserDatabase()),
              Contents(m_root / "prefix/share/tarnwick/vexodb.qdb"));  // an empty database
    EXPECT_FALSE(fs::exists(m_root / "prefix/bin/vexodb.qdb"));

    // From then on the copy is used and nothing more is said.
    const Result second = Run({"shops"});
    EXPECT_EQ(second.code, 0) << second.err;
    EXPECT_EQ(second.err, "");
}

TEST_F(CliDataFolderTest, ADatabaseNamedOrBesideTheProgramWinsAndNothingIsCopied) {
    // --db names the file: the user's folder is left alone.
    const fs::path named = m_root / "data" / "named.qdb";
    fs::copy_file(m_root / "prefix/share/tarnwick/vexodb.qdb", named);
    fs::permissions(named, fs::perms::all);
    Result result = Run({"shops", "--db", named.string()});
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_FALSE(fs::exists(m_root / "data/tarnwick"));

    // A database beside the program is the one used, even when the folder is read-only.
    ReadOnlyBin(false);
    fs::copy_file(m_root / "prefix/share/tarnwick/vexodb.qdb", m_root / "prefix/bin/vexo.qdb");
    fs::permissions(m_root / "prefix/bin/vexo.qdb", fs::perms::all);
    ReadOnlyBin(true);
    result = Run({"shops"});
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_FALSE(fs::exists(m_root / "data/tarnwick"));
}

TEST_F(CliDataFolderTest, AMissingShippedDatabaseIsReportedAndTheRunFails) {
    fs::remove(m_root / "prefix/share/tarnwick/vexodb.qdb");
    const Result result = Run({"shops"});
    EXPECT_NE(result.code, 0);
    EXPECT_NE(result.err.find("tarnwick-cli: cannot create the database file: "), std::string::npos)
        << result.err;
    EXPECT_FALSE(fs::exists(UserDatabase()));
}

}  // namespace
}  // namespace tarnwick::test
