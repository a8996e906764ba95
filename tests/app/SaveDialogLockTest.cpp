// The save dialogs list the program folder without ever opening the database file: SQLite's
// locks on it belong to the process, and one close of any descriptor of the file drops them,
// after which another program's close deletes the journal under us and corrupts the file.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QProcess>
#include <QSettings>
#include <QTimer>

#include "GuiTestSupport.h"
#include "TestShops.h"
#include "views/ShopTree.h"

namespace tarnwick::test {
namespace {

namespace fs = std::filesystem;

const char* const kSuffixes[] = {"", "-wal", "-shm"};

// The descriptors and POSIX locks this process holds on the database and its two companions.
// The -shm's read marks come and go with read transactions; its lock on byte 128 says "a
// connection is open" for as long as one is, and the database file's shared lock stays too.
struct DatabaseHold {
    std::multiset<std::string> descriptors;    // link targets under /proc/self/fd
    std::multiset<std::string> databaseLocks;  // "READ 1073741826 1073741826"
    std::multiset<std::string> shmLocks;
    bool operator==(const DatabaseHold& other) const {
        return descriptors == other.descriptors && databaseLocks == other.databaseLocks &&
               OpenMark() == other.OpenMark();
    }
    bool OpenMark() const { return shmLocks.contains("READ 128 128"); }
};

std::ostream& operator<<(std::ostream& out, const DatabaseHold& hold) {
    out << "locks on the file:";
    for (const std::string& lock : hold.databaseLocks) {
        out << " [" << lock << "]";
    }
    out << ", on -shm:";
    for (const std::string& lock : hold.shmLocks) {
        out << " [" << lock << "]";
    }
    out << ", descriptors:";
    for (const std::string& target : hold.descriptors) {
        out << " " << target;
    }
    return out;
}

std::multiset<std::string> LocksOn(const std::string& path) {
    std::multiset<std::string> found;
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return found;
    }
    // "1: POSIX  ADVISORY  READ 4242 08:01:1234 128 128": pid, then device and inode.
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string id, kind, mode, access, pid, where, start, end;
        fields >> id >> kind >> mode >> access >> pid >> where >> start >> end;
        if (kind == "POSIX" && pid == std::to_string(getpid()) &&
            where.substr(where.rfind(':') + 1) == std::to_string(info.st_ino)) {
            found.insert(access + " " + start + " " + end);
        }
    }
    return found;
}

DatabaseHold HoldOf(const std::string& database) {
    DatabaseHold hold;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const std::string target = fs::read_symlink(entry.path(), error).string();
        if (!error && target.starts_with(database)) {
            hold.descriptors.insert(target);
        }
    }
    hold.databaseLocks = LocksOn(database);
    hold.shmLocks = LocksOn(database + "-shm");
    return hold;
}

// Another program writing to the same file: a whole sqlite3 process per statement, so that each
// one also closes the file, which is when a process that believes itself the last one folds the
// journal back and deletes it.
std::string RunSqlite(const std::string& database, const std::string& sql) {
    QProcess sqlite;
    sqlite.start(
        QStringLiteral(TARNWICK_SQLITE3),
        {QStringLiteral("-batch"), QStringLiteral("-cmd"), QStringLiteral(".timeout 20000"),
         QString::fromStdString(database), QString::fromStdString(sql)});
    if (!sqlite.waitForFinished(60000) || sqlite.exitCode() != 0) {
        ADD_FAILURE() << "sqlite3 failed on " << sql << ": "
                      << sqlite.readAllStandardError().toStdString();
    }
    return sqlite.readAllStandardOutput().trimmed().toStdString();
}

// Every event that opened or read one of the watched files since the last call.
std::vector<std::string> DrainOpens(int watch, const std::map<int, std::string>& names) {
    std::vector<std::string> opened;
    alignas(inotify_event) char buffer[8192];
    for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;) {
        for (char* at = buffer; at < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            if (event->mask & (IN_OPEN | IN_ACCESS)) {
                auto name = names.find(event->wd);
                opened.push_back(name == names.end() ? "?" : name->second);
            }
            at += sizeof(inotify_event) + event->len;
        }
    }
    return opened;
}

bool WaitUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 20000) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class SaveDialogLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        f.Sim().AddShop(
            Shop("皮具工坊", "leather", {Item("7001", "真皮手提包", "299.50", 2, 5, 80)}));
        f.Analyse("皮具工坊");
        f.OpenWindow();
        f.ClickTreeNode(0);
        f.prompts.realSaveDialog = true;
        // The worst case: the dialog opens among the database files.
        QSettings().setValue("export/lastFolder", QString::fromStdString(f.Folder().Folder()));

        m_watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ASSERT_GE(m_watch, 0);
        for (const char* suffix : kSuffixes) {
            const std::string path = Database() + suffix;
            const int wd = inotify_add_watch(m_watch, path.c_str(), IN_OPEN | IN_ACCESS);
            ASSERT_GE(wd, 0) << path;
            m_names[wd] = path;
        }
    }
    void TearDown() override {
        if (m_watch >= 0) {
            close(m_watch);
        }
    }
    std::string Database() { return f.Folder().Path(); }

    // Presses the button, waits inside the modal dialog until it has listed the database files
    // with their types, lets another process write, and cancels.
    void OpenAndCancel(const char* button) {
        SCOPED_TRACE(button);
        bool inside = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr || inside) {
                return;
            }
            inside = true;
            poll.stop();
            InsideDialog(*dialog);
            dialog->reject();
        });
        poll.start();
        DrainOpens(m_watch, m_names);
        f.Click(button);
        EXPECT_TRUE(inside) << "no save dialog was shown";
    }

    void InsideDialog(QFileDialog& dialog) {
        EXPECT_EQ(fs::path(dialog.directory().absolutePath().toStdString()), f.Folder().Folder());
        // The user shows every file, in the detail view, which asks for every column, the type
        // among them.
        ASSERT_EQ(dialog.nameFilters().size(), 2);
        dialog.selectNameFilter(dialog.nameFilters().back());
        dialog.setViewMode(QFileDialog::Detail);
        auto* model = dialog.findChild<QFileSystemModel*>();
        ASSERT_NE(model, nullptr);
        for (const char* suffix : kSuffixes) {
            const QString path = QString::fromStdString(Database() + suffix);
            EXPECT_TRUE(WaitUntil([&] {
                const QModelIndex index = model->index(path, 2);
                return index.isValid() && !model->data(index).toString().isEmpty();
            })) << "the dialog never listed "
                << path.toStdString();
            model->data(model->index(path, 0), Qt::DecorationRole);
        }
        QApplication::processEvents();
        EXPECT_EQ(DrainOpens(m_watch, m_names), std::vector<std::string>{})
            << "the dialog opened a database file";

        RunSqlite(Database(),
                  "insert into ShopList(SID, WWName) values('" + NextSid() + "', 'writer');");
    }

    std::string NextSid() { return "writer-" + std::to_string(++m_writes); }

    MainWindowFixture f;
    int m_watch = -1;
    std::map<int, std::string> m_names;
    int m_writes = 0;
};

TEST_F(SaveDialogLockTest, LocksSurviveBothDialogsWhileAnotherProcessWrites) {
    const DatabaseHold before = HoldOf(Database());
    // What SQLite holds for an open connection in WAL mode; without it there is nothing to prove.
    ASSERT_FALSE(before.databaseLocks.empty()) << before;
    ASSERT_TRUE(before.OpenMark()) << before;

    for (const char* button : {"btnExport", "btnExportBuyer"}) {
        OpenAndCancel(button);
        // Another program's write and close after the dialog has gone.
        RunSqlite(Database(),
                  "insert into ShopList(SID, WWName) values('" + NextSid() + "', 'writer');");
        const DatabaseHold after = HoldOf(Database());
        EXPECT_EQ(after, before) << "before: " << before << "\nafter: " << after;
        for (const std::string& target : after.descriptors) {
            EXPECT_EQ(target.find("(deleted)"), std::string::npos) << target;
        }
        EXPECT_TRUE(fs::exists(Database() + "-wal"));
        EXPECT_TRUE(fs::exists(Database() + "-shm"));
    }
    EXPECT_TRUE(f.prompts.Texts(RecordingPrompts::Kind::Message).empty());

    // The window's connection and the other program still see one database: a shop deleted in
    // the window is gone for the other program, whose rows the window counts.
    f.prompts.yesNoAnswers = {true};
    f.ClickTreeNode(0);
    f.Click("btnDelShop");
    EXPECT_EQ(RunSqlite(Database(), "select count(*) from ShopList where WWName = '皮具工坊';"),
              "0");
    EXPECT_EQ(RunSqlite(Database(), "select count(*) from ShopList where WWName = 'writer';"),
              std::to_string(m_writes));
    EXPECT_EQ(f.OpenStore().ReadShops().size(), static_cast<std::size_t>(m_writes));

    f.CloseWindow();
    EXPECT_EQ(RunSqlite(Database(), "pragma integrity_check;"), "ok");
}

}  // namespace
}  // namespace tarnwick::test
