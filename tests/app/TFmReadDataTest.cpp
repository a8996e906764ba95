// The analyse-shop dialog, opened from the main window's toolbar.
#include <gtest/gtest.h>

#include <algorithm>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include "TestShops.h"
#include "app/TFmReadData.h"
#include "store/Store.h"

namespace tarnwick::test {
namespace {

using Kind = RecordingPrompts::Kind;

const QString kIntro = QString::fromUtf8(AcquisitionController::kIntroLine);
const QString kDone = QStringLiteral("程序执行完成!");

template <typename Widget>
Widget* Child(TFmReadData& dialog, const char* name) {
    return dialog.findChild<Widget*>(QString::fromLatin1(name));
}

QStringList LogLines(TFmReadData& dialog) {
    return Child<QPlainTextEdit>(dialog, "mmoLog")->toPlainText().split('\n');
}

// The log line without its "hh:mm:ss " time.
bool HasLine(TFmReadData& dialog, const QString& text) {
    for (const QString& line : LogLines(dialog)) {
        if (line.size() > 9 && line[2] == ':' && line[5] == ':' && line.mid(9) == text) {
            return true;
        }
    }
    return false;
}

bool Idle(TFmReadData& dialog) {
    return Child<QPushButton>(dialog, "btnStart")->isEnabled() &&
           !Child<QPushButton>(dialog, "btnStop")->isEnabled();
}

marketsim::Shop SmallShop() {
    marketsim::Item item = Item("4001", "羊毛围巾", "45.00", 2, 30, 120);
    item.deals = {Deal("买家一", "45.00", 1, TodayMidnight().AddDays(-1))};
    return Shop("暖冬小屋", "warm", {item, Item("4002", "手套", "25.00", 0, 10, 20)});
}

TEST(TFmReadDataTest, OpensIdleWithTheIntroLineAndItsFixedChoices) {
    MainWindowFixture f;
    f.OpenWindow();
    f.WithAnalyseDialog([](TFmReadData& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("分析店铺"));
        EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
        EXPECT_FALSE(dialog.windowFlags() & Qt::WindowSystemMenuHint);
        auto* input = Child<QComboBox>(dialog, "cbbInputType");
        EXPECT_FALSE(input->isEnabled());
        EXPECT_EQ(input->currentText(), QStringLiteral("掌柜名称"));
        auto* threads = Child<QSpinBox>(dialog, "edtThrCount");
        EXPECT_EQ(threads->minimum(), 1);
        EXPECT_EQ(threads->maximum(), 30);
        EXPECT_EQ(threads->value(), 6);
        EXPECT_TRUE(Child<QPlainTextEdit>(dialog, "mmoLog")->isReadOnly());
        EXPECT_EQ(LogLines(dialog), QStringList{kIntro});
        EXPECT_TRUE(Idle(dialog));
    });
}

TEST(TFmReadDataTest, RunFromTheDialogCompletesAndTheTreeListsTheShopAfterClosing) {
    MainWindowFixture f;
    f.Sim().AddShop(SmallShop());
    f.OpenWindow();
    f.WithAnalyseDialog([&](TFmReadData& dialog) {
        Child<QLineEdit>(dialog, "edtInput")->setText(QStringLiteral(" 暖冬小屋  "));
        QTest::mouseClick(Child<QPushButton>(dialog, "btnStart"), Qt::LeftButton);
        EXPECT_FALSE(Idle(dialog));
        // The start line shows the input as typed; the run uses it trimmed.
        EXPECT_TRUE(HasLine(dialog, QStringLiteral("开始读  暖冬小屋   的数据...")));
        ASSERT_TRUE(QTest::qWaitFor([&] { return HasLine(dialog, kDone); }, 60000));
        EXPECT_TRUE(Idle(dialog));
        // The tree is not reloaded while the dialog is open.
        EXPECT_TRUE(f.TreeCaptions().empty());
    });
    EXPECT_EQ(f.TreeCaptions(), (std::vector<QString>{"暖冬小屋"}));
    f.ClickTreeNode(0);
    // Six download threads store the items in the order they finish.
    auto titles = f.ListColumn(2);
    std::sort(titles.begin(), titles.end());
    EXPECT_EQ(titles, (std::vector<QString>{"手套", "羊毛围巾"}));
    EXPECT_TRUE(f.prompts.shown.empty());
}

TEST(TFmReadDataTest, BlankInputShowsTheNoticeAndChangesNothing) {
    MainWindowFixture f;
    f.OpenWindow();
    for (const char* input : {"", "   ", " \t "}) {
        SCOPED_TRACE(testing::PrintToString(std::string(input)));
        f.prompts.shown.clear();
        f.WithAnalyseDialog([&](TFmReadData& dialog) {
            Child<QLineEdit>(dialog, "edtInput")->setText(QString::fromUtf8(input));
            QTest::mouseClick(Child<QPushButton>(dialog, "btnStart"), Qt::LeftButton);
            EXPECT_EQ(f.prompts.Texts(Kind::Info),
                      (std::vector<QString>{QStringLiteral("请先输入要分析的同行旺旺名或地址!")}));
            EXPECT_EQ(LogLines(dialog), QStringList{kIntro});
            EXPECT_TRUE(Idle(dialog));
            EXPECT_EQ(dialog.Controller().CurrentRun(), nullptr);
        });
    }
    EXPECT_TRUE(f.Sim().Requests().size() <= 1);  // at most the version check
}

TEST(TFmReadDataTest, ReopeningDuringARunShowsThatRunAndStartsNoSecondOne) {
    MainWindowFixture f;
    f.Sim().AddShop(SmallShop());
    marketsim::Fault hold;
    hold.match = "/item.htm";
    hold.hold = true;
    f.Sim().AddFault(hold);
    f.OpenWindow();
    TFmReadData* first = nullptr;
    QStringList linesBefore;
    f.WithAnalyseDialog([&](TFmReadData& dialog) {
        first = &dialog;
        Child<QSpinBox>(dialog, "edtThrCount")->setValue(3);
        Child<QLineEdit>(dialog, "edtInput")->setText(QStringLiteral("暖冬小屋"));
        Child<QPushButton>(dialog, "btnStart")->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return f.Sim().HeldCount() >= 1; }, 20000));
        linesBefore = LogLines(dialog);
    });
    // The shop's row was stored before the items, so the closed dialog's run is listed at once.
    EXPECT_EQ(f.TreeCaptions(), (std::vector<QString>{"暖冬小屋"}));

    f.WithAnalyseDialog([&](TFmReadData& dialog) {
        EXPECT_EQ(&dialog, first);
        // The running run as it stands: its nick, its log so far, its counter; it can be
        // stopped, and no second run can be started beside it.
        EXPECT_EQ(Child<QLineEdit>(dialog, "edtInput")->text(), QStringLiteral("暖冬小屋"));
        const QStringList lines = LogLines(dialog);
        ASSERT_GE(lines.size(), linesBefore.size());
        EXPECT_EQ(lines.mid(0, linesBefore.size()), linesBefore);
        EXPECT_TRUE(HasLine(dialog, QStringLiteral("开始读 暖冬小屋 的数据...")));
        EXPECT_FALSE(Child<QPushButton>(dialog, "btnStart")->isEnabled());
        EXPECT_TRUE(Child<QPushButton>(dialog, "btnStop")->isEnabled());
        EXPECT_EQ(Child<QLabel>(dialog, "lblProgress")->text(),
                  QStringLiteral("已完成 0 / 2 个宝贝"));
        EXPECT_EQ(Child<QSpinBox>(dialog, "edtThrCount")->value(), 3);
        f.Sim().ClearFaults();
        f.Sim().ReleaseHolds();
        EXPECT_TRUE(QTest::qWaitFor([&] { return HasLine(dialog, kDone); }, 60000));
        EXPECT_TRUE(Idle(dialog));
    });
    // Once it has ended, the dialog starts afresh.
    f.WithAnalyseDialog([&](TFmReadData& dialog) {
        EXPECT_EQ(LogLines(dialog), QStringList{kIntro});
        EXPECT_EQ(Child<QLineEdit>(dialog, "edtInput")->text(), QString());
        EXPECT_TRUE(Idle(dialog));
    });
    f.ClickTreeNode(0);
    EXPECT_EQ(f.ListColumn(2).size(), 2u);
    // A complete run ends without a box.
    EXPECT_TRUE(f.prompts.Texts(Kind::Info).empty());
}

TEST(TFmReadDataTest, ARunThatIsNotCompleteEndsWithABoxThatSaysWhatHappened) {
    struct Case {
        const char* nick;
        const char* says;
    };
    for (const Case& c :
         {Case{"无此掌柜", "未找到该掌柜的店铺"}, Case{"blocked", "淘宝网拦截了本次分析"}}) {
        SCOPED_TRACE(c.nick);
        MainWindowFixture f;
        f.Sim().AddShop(marketsim::BlockedDemoShop(1, 10));
        f.OpenWindow();
        f.WithAnalyseDialog([&](TFmReadData& dialog) {
            Child<QLineEdit>(dialog, "edtInput")->setText(QString::fromUtf8(c.nick));
            Child<QPushButton>(dialog, "btnStart")->click();
            ASSERT_TRUE(QTest::qWaitFor([&] { return HasLine(dialog, kDone); }, 60000));
            const std::vector<QString> boxes = f.prompts.Texts(Kind::Info);
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_TRUE(boxes[0].contains(QString::fromUtf8(c.says))) << boxes[0].toStdString();
            // Our reason comes before the closing line.
            const QStringList lines = LogLines(dialog);
            const auto done = std::find_if(lines.begin(), lines.end(),
                                           [](const QString& l) { return l.endsWith(kDone); });
            ASSERT_NE(done, lines.begin());
            EXPECT_FALSE((done - 1)->contains(QStringLiteral("控制下载线程启动")));
        });
    }
}

TEST(TFmReadDataTest, TheDialogCanBeResizedAndTheLogTakesTheRoom) {
    MainWindowFixture f;
    f.OpenWindow();
    f.WithAnalyseDialog([&](TFmReadData& dialog) {
        auto* log = Child<QPlainTextEdit>(dialog, "mmoLog");
        EXPECT_EQ(log->geometry(), QRect(16, 104, 417, 249));
        dialog.resize(900, 600);
        EXPECT_EQ(log->geometry(), QRect(16, 104, 900 - 32, 600 - 104 - 17));
        EXPECT_EQ(dialog.minimumSize(), QSize(449, 370));
    });
}

TEST(TFmReadDataTest, StopStaysUsableAfterReopeningDuringARun) {
    MainWindowFixture f;
    f.Sim().AddShop(SmallShop());
    marketsim::Fault hold;
    hold.match = "/item.htm";
    hold.hold = true;
    f.Sim().AddFault(hold);
    f.OpenWindow();
    f.WithAnalyseDialog([&](TFmReadData& dialog) {
        Child<QSpinBox>(dialog, "edtThrCount")->setValue(1);
        Child<QLineEdit>(dialog, "edtInput")->setText(QStringLiteral("暖冬小屋"));
        Child<QPushButton>(dialog, "btnStart")->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return f.Sim().HeldCount() >= 1; }, 20000));
    });
    f.WithAnalyseDialog([&](TFmReadData& dialog) {
        auto* stop = Child<QPushButton>(dialog, "btnStop");
        ASSERT_TRUE(stop->isEnabled());
        QTest::mouseClick(stop, Qt::LeftButton);
        EXPECT_TRUE(
            HasLine(dialog, QStringLiteral("正在终止程序,此过程可能需要几分钟时间,请稍候...")));
        EXPECT_TRUE(dialog.Controller().CurrentRun()->StopRequested());
        f.Sim().ReleaseHolds();
        // The held item ends, the second is never started, and the run completes here.
        ASSERT_TRUE(QTest::qWaitFor([&] { return HasLine(dialog, kDone); }, 60000));
        EXPECT_TRUE(Idle(dialog));
        EXPECT_EQ(Child<QLabel>(dialog, "lblProgress")->text(),
                  QStringLiteral("已完成 1 / 2 个宝贝"));
    });
    Store store = f.OpenStore();
    ASSERT_EQ(store.ReadShops().size(), 1u);
    EXPECT_LE(store.ReadItems(store.ReadShops()[0].SID).size(), 1u);
}

TEST(TFmReadDataTest, ProgressFigureCountsDoneOfQueuedInsideTheFreeStrip) {
    MainWindowFixture f;
    f.Sim().AddShop(SmallShop());
    f.OpenWindow();
    f.WithAnalyseDialog([&](TFmReadData& dialog) {
        auto* progress = Child<QLabel>(dialog, "lblProgress");
        EXPECT_EQ(progress->text(), QString());
        // Between the nick and the buttons, clear of every other control.
        for (QWidget* other : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other != progress && other->isVisible()) {
                EXPECT_FALSE(other->geometry().intersects(progress->geometry()))
                    << other->objectName().toStdString();
            }
        }
        EXPECT_TRUE(dialog.rect().contains(progress->geometry()));
        EXPECT_GE(progress->height(), progress->fontMetrics().height());
        Child<QLineEdit>(dialog, "edtInput")->setText(QStringLiteral("暖冬小屋"));
        Child<QPushButton>(dialog, "btnStart")->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return HasLine(dialog, kDone); }, 60000));
        EXPECT_EQ(progress->text(), QStringLiteral("已完成 2 / 2 个宝贝"));
    });
}

}  // namespace
}  // namespace tarnwick::test
