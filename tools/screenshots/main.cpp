// Renders the desktop program offscreen for the documentation: the analyse-shop dialog during a
// run against an in-process marketsim and at the end of a run that the marketplace blocked, the
// main window with both runs in the tree (the blocked one marked), once with the blocked run
// chosen and once with the demo shop loaded and an item focused, and, after the shop was
// analysed again on two later days, the comparison with the previous run and the history chart
// of an item that moved and of one that did not; then the main window while a run goes on with
// its dialog closed, and the main window and the comparison in English.
// Usage: tarnwick-screenshots OUTPUT_FOLDER
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include <QApplication>
#include <QCheckBox>
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
#include "ShopDays.h"
#include "app/Language.h"
#include "app/TFmCompare.h"
#include "app/TFmMain.h"
#include "app/TFmReadData.h"
#include "app/TFmWatch.h"
#include "app/WatchService.h"
#include "base/Clock.h"
#include "views/ComparisonModel.h"
#include "views/ItemHistoryChart.h"
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

// Types the nick, starts the run, takes the dialog's picture once the run is under way (when a
// name is given) or once it ended (`atEnd`), waits for its end and closes the dialog.
bool RecordRun(TFmReadData& dialog, const std::string& nick, const QDir& folder,
               const char* picture, bool atEnd = false) {
    auto* input = dialog.findChild<QLineEdit*>("edtInput");
    auto* log = dialog.findChild<QPlainTextEdit*>("mmoLog");
    auto* start = dialog.findChild<QPushButton*>("btnStart");
    auto* close = dialog.findChild<QPushButton*>("btnClose");
    input->setText(QString::fromStdString(nick));
    start->click();
    bool ok = true;
    if (!atEnd) {
        ok = QTest::qWaitFor([&] { return log->blockCount() >= 12; }, 60000);
        ok = ok && (picture == nullptr || Save(dialog, folder, picture));
    }
    const QString done = QStringLiteral("程序执行完成!");
    ok = QTest::qWaitFor([&] { return log->toPlainText().contains(done); }, 180000) && ok;
    if (atEnd && picture != nullptr) {
        // A run that ended blocked, pictured with its closing verdict line.
        QApplication::processEvents();
        ok = Save(dialog, folder, picture) && ok;
    }
    close->click();
    return ok;
}

// A character that about half of the titles hold, so that filtering on it leaves a good part
// of the list.
QString CommonWord(const tarnwick::ItemListModel& items) {
    std::map<QChar, int> holders;
    for (int row = 0; row < items.Count(); ++row) {
        const QString title = QString::fromStdString(items.Item(row).title);
        std::set<QChar> seen(title.begin(), title.end());
        for (QChar c : seen) {
            if (c.unicode() >= 0x4e00) {
                ++holders[c];
            }
        }
    }
    QChar best;
    int bestDistance = items.Count() + 1;
    for (const auto& [c, count] : holders) {
        const int distance = std::abs(2 * count - items.Count());
        if (count >= 2 && distance < bestDistance) {
            best = c;
            bestDistance = distance;
        }
    }
    return best.isNull() ? QString() : QString(best);
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
    settings.store = tarnwick::ChooseStore("", programFolder.path().toStdString() + "/");
    settings.endpoints.PointMarketAt(sim.BaseUrl());
    settings.endpoints.versionEndpoint = sim.BaseUrl() + "/version";
    tarnwick::screenshots::QuietPrompts prompts;
    bool ok = true;
    {
        TFmMain window(settings, prompts, prompts, tarnwick::SystemClock::Instance());
        window.show();
        QMetaObject::invokeMethod(
            &app,
            [&] {
                ok = RecordRun(*window.ReadDataDialog(), shop.nick, folder, "analyse-dialog.png") &&
                     ok;
            },
            Qt::QueuedConnection);
        window.findChild<QToolButton*>("btnShopAssay")->click();
        // Then the shop that shuts us out, so the tree shows a blocked run beside a healthy one.
        QMetaObject::invokeMethod(
            &app,
            [&] {
                ok = RecordRun(*window.ReadDataDialog(), "blocked", folder,
                               "analyse-dialog-blocked.png", true) &&
                     ok;
            },
            Qt::QueuedConnection);
        window.findChild<QToolButton*>("btnShopAssay")->click();

        auto* tree = window.findChild<QTreeWidget*>("tv");
        auto* list = window.findChild<tarnwick::ItemListView*>("lst");
        if (tree->topLevelItemCount() < 2) {
            std::fprintf(stderr, "screenshots: the two runs stored no shop\n");
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

        // The list sorted by sales, highest first, and filtered on a word many titles share.
        list->sortByColumn(tarnwick::ItemListModel::cxSellAmount, Qt::DescendingOrder);
        auto* filter = window.findChild<QLineEdit*>("edtFilter");
        filter->setText(CommonWord(items));
        QApplication::processEvents();
        ok = Save(window, folder, "item-list-sorted-filtered.png") && ok;

        // The same shop on day 2 and day 3, then the newest run against the one before.
        for (int day = 2; day <= 3; ++day) {
            sim.AddShop(marketsim::DemoShopOnDay(1, day));
            QMetaObject::invokeMethod(
                &app,
                [&] { ok = RecordRun(*window.ReadDataDialog(), shop.nick, folder, nullptr) && ok; },
                Qt::QueuedConnection);
            window.findChild<QToolButton*>("btnShopAssay")->click();
        }
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(tree->topLevelItem(0)).center());
        window.findChild<QPushButton*>("btnCompare")->click();
        tarnwick::TFmCompare* compare = window.CompareWindow();
        if (compare == nullptr) {
            std::fprintf(stderr, "screenshots: no comparison window\n");
            return 1;
        }
        // An item whose price moved and that sold since the last run, for a chart with both
        // lines moving; else the one that sold most.
        const tarnwick::ComparisonModel& rows = compare->Model();
        int chosen = 0;
        auto score = [&](int row) {
            const tarnwick::ItemComparison& item = rows.Item(row);
            return (item.PriceChange() != 0.0 ? 1000 : 0) + item.NewDealQuantity();
        };
        for (int row = 1; row < rows.Count(); ++row) {
            if (rows.Item(row).status == tarnwick::ItemStatus::Kept && score(row) > score(chosen)) {
                chosen = row;
            }
        }
        compare->findChild<QCheckBox*>("chkChangedOnly")->setChecked(true);
        compare->SelectItem(rows.Item(chosen).itemId);
        QApplication::processEvents();
        ok = Save(*compare, folder, "compare.png") && ok;
        ok = Save(compare->Chart(), folder, "item-history.png") && ok;
        // An item whose price and sold count stayed as they were: two flat lines, kept apart.
        compare->findChild<QCheckBox*>("chkChangedOnly")->setChecked(false);
        for (int row = 0; row < rows.Count(); ++row) {
            const tarnwick::ItemComparison& item = rows.Item(row);
            if (item.status == tarnwick::ItemStatus::Kept && !item.Changed()) {
                compare->SelectItem(item.itemId);
                break;
            }
        }
        QApplication::processEvents();
        ok = Save(compare->Chart(), folder, "item-history-flat.png") && ok;
        compare->close();

        // The demo shop watched: its day-2 run the baseline, day 3 raising the alerts.
        if (tarnwick::TFmWatch* watch = window.ShowWatchWindow()) {
            watch->AddWatch(QString::fromStdString(shop.nick));
            for (int day = 2; day <= 3; ++day) {
                sim.AddShop(marketsim::DemoShopOnDay(1, day));
                watch->findChild<QPushButton*>("btnRunNow")->click();
                ok = QTest::qWaitFor([&] { return !window.Watches()->Busy(); }, 180000) && ok;
            }
            QApplication::processEvents();
            ok = Save(*watch, folder, "watch-shops.png") && ok;
            watch->Tabs().setCurrentIndex(1);
            QApplication::processEvents();
            ok = Save(*watch, folder, "watch-alerts.png") && ok;
            watch->close();
        } else {
            std::fprintf(stderr, "screenshots: no watch window\n");
            ok = false;
        }

        // A run that goes on after its dialog was closed: the status bar and the toolbar say so.
        marketsim::Fault hold;
        hold.match = "/item.htm";
        hold.hold = true;
        sim.AddFault(hold);
        QMetaObject::invokeMethod(
            &app,
            [&] {
                TFmReadData& dialog = *window.ReadDataDialog();
                dialog.findChild<QLineEdit*>("edtInput")
                    ->setText(QString::fromStdString(shop.nick));
                dialog.findChild<QPushButton*>("btnStart")->click();
                // Waiting with the events running: the run's workers hand their log lines over.
                ok = QTest::qWaitFor([&] { return sim.HeldCount() >= 1; }, 60000) && ok;
                dialog.findChild<QPushButton*>("btnClose")->click();
            },
            Qt::QueuedConnection);
        window.findChild<QToolButton*>("btnShopAssay")->click();
        ok = QTest::qWaitFor([&] { return !window.RunStatusText().isEmpty(); }, 20000) && ok;
        QTest::qWait(600);
        ok = Save(window, folder, "main-window-running.png") && ok;
        sim.ClearFaults();
        sim.ReleaseHolds();
        ok = QTest::qWaitFor([&] { return window.RunStatusText().isEmpty(); }, 180000) && ok;
    }
    {
        // The same shop under the English interface.
        ok = tarnwick::UseLanguage(tarnwick::Language::English) && ok;
        TFmMain window(settings, prompts, prompts, tarnwick::SystemClock::Instance());
        window.show();
        auto* tree = window.findChild<QTreeWidget*>("tv");
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(tree->topLevelItem(0)).center());
        window.findChild<tarnwick::ItemListView*>("lst")->FocusRow(0);
        QApplication::processEvents();
        ok = Save(window, folder, "main-window-en.png") && ok;
        // The third day's run against the one before it, in English, an item that moved chosen.
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(tree->topLevelItem(1)).center());
        window.findChild<QPushButton*>("btnCompare")->click();
        if (tarnwick::TFmCompare* compare = window.CompareWindow()) {
            const tarnwick::ComparisonModel& rows = compare->Model();
            for (int row = 0; row < rows.Count(); ++row) {
                if (rows.Item(row).PriceChange() != 0.0) {
                    compare->SelectItem(rows.Item(row).itemId);
                    break;
                }
            }
            QApplication::processEvents();
            ok = Save(*compare, folder, "compare-en.png") && ok;
            compare->close();
        } else {
            std::fprintf(stderr, "screenshots: no English comparison window\n");
            ok = false;
        }
        tarnwick::UseLanguage(tarnwick::Language::Chinese);
    }
    sim.Stop();
    return ok ? 0 : 1;
}
