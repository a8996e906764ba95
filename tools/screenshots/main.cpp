// Renders the desktop program offscreen for the documentation: the analyse-shop dialog during a
// run against an in-process marketsim and at the end of a run that the marketplace blocked, and
// the main window with both runs in the tree (the blocked one marked), once with the blocked
// run chosen and once with the demo shop loaded and an item focused.
// Usage: tarnwick-screenshots OUTPUT_FOLDER
#include <cstdio>
#include <filesystem>

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "MarketSim.h"
#include "QuietPrompts.h"
#include "app/TFmMain.h"
#include "app/TFmReadData.h"
#include "store/Clock.h"
#include "views/ItemListView.h"

namespace {

using tarnwick::TFmMain;
using tarnwick::TFmReadData;

bool Save(QWidget& widget, const QDir& folder, const char* name) {
    const QString path = folder.filePath(QString::fromLatin1(name));
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "screenshots: cannot write %s\n", path.toUtf8().constData());
        return false;
    }
    std::printf("%s\n", path.toUtf8().constData());
    return true;
}

// Types the demo shop's nick, starts the run, takes the dialog's picture once the run is under
// way, waits for its end and closes the dialog.
bool RecordRun(TFmReadData& dialog, const std::string& nick, const QDir& folder,
               const char* picture) {
    auto* input = dialog.findChild<QLineEdit*>("edtInput");
    auto* log = dialog.findChild<QPlainTextEdit*>("mmoLog");
    auto* start = dialog.findChild<QPushButton*>("btnStart");
    auto* close = dialog.findChild<QPushButton*>("btnClose");
    input->setText(QString::fromStdString(nick));
    start->click();
    const QString done = QStringLiteral("程序执行完成!");
    bool ok = true;
    if (picture == nullptr) {
        // The demo shop's run, pictured while it is under way.
        ok = QTest::qWaitFor([&] { return log->blockCount() >= 12; }, 60000);
        ok = ok && Save(dialog, folder, "analyse-dialog.png");
    }
    ok = QTest::qWaitFor([&] { return log->toPlainText().contains(done); }, 180000) && ok;
    if (picture != nullptr) {
        // A run that ended blocked, pictured with its closing verdict line.
        QApplication::processEvents();
        ok = Save(dialog, folder, picture) && ok;
    }
    close->click();
    return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarnwick-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "screenshots: cannot create %s\n", argv[1]);
        return 1;
    }

    QTemporaryDir programFolder;
    const std::filesystem::path emptyDatabase =
        QApplication::applicationDirPath().toStdString() + "/vexodb.qdb";
    std::error_code error;
    std::filesystem::copy_file(emptyDatabase, programFolder.filePath("vexodb.qdb").toStdString(),
                               error);
    if (!programFolder.isValid() || error) {
        std::fprintf(stderr, "screenshots: no empty database at %s\n", emptyDatabase.c_str());
        return 1;
    }

    marketsim::MarketSim sim;
    const marketsim::Shop shop = marketsim::DemoShop();
    sim.AddShop(shop);
    sim.AddShop(marketsim::BlockedDemoShop());
    sim.SetVersionAnswer("tarnwick=206");
    sim.Start(0);

    TFmMain::Settings settings;
    settings.programFolder = programFolder.path().toStdString() + "/";
    settings.endpoints.PointMarketAt(sim.BaseUrl());
    settings.endpoints.versionEndpoint = sim.BaseUrl() + "/version";
    tarnwick::screenshots::QuietPrompts prompts;
    bool ok = true;
    {
        TFmMain window(settings, prompts, prompts, tarnwick::SystemClock::Instance());
        window.show();
        QMetaObject::invokeMethod(
            &app,
            [&] { ok = RecordRun(*window.ReadDataDialog(), shop.nick, folder, nullptr) && ok; },
            Qt::QueuedConnection);
        window.findChild<QToolButton*>("btnShopAssay")->click();
        // Then the shop that shuts us out, so the tree shows a blocked run beside a healthy one.
        QMetaObject::invokeMethod(
            &app,
            [&] {
                ok = RecordRun(*window.ReadDataDialog(), "blocked", folder,
                               "analyse-dialog-blocked.png") &&
                     ok;
            },
            Qt::QueuedConnection);
        window.findChild<QToolButton*>("btnShopAssay")->click();

        auto* tree = window.findChild<QTreeWidget*>("tv");
        auto* list = window.findChild<tarnwick::ItemListView*>("lst");
        if (tree->topLevelItemCount() == 0) {
            std::fprintf(stderr, "screenshots: the run stored no shop\n");
            return 1;
        }
        if (tree->topLevelItemCount() < 2) {
            std::fprintf(stderr, "screenshots: the blocked run stored no shop\n");
            return 1;
        }
        // Newest first: the blocked run, then the demo shop's.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(tree->topLevelItem(0)).center());
        QApplication::processEvents();
        ok = Save(window, folder, "main-window-blocked.png") && ok;
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(tree->topLevelItem(1)).center());
        // The item with the most reviews, so that both detail grids have rows to show.
        int focused = 0;
        const tarnwick::ItemListModel& items = list->Model();
        for (int row = 1; row < items.Count(); ++row) {
            if (items.Item(row).Commentcount > items.Item(focused).Commentcount) {
                focused = row;
            }
        }
        list->FocusRow(focused);
        QApplication::processEvents();
        ok = Save(window, folder, "main-window.png") && ok;
    }
    sim.Stop();
    return ok ? 0 : 1;
}
