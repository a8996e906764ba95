// Messages that say what happened: the new version named with its address when no browser
// starts, No as the answer a deletion falls back on, the recent nicks offered, and a run's own
// summary at its end.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "TestShops.h"
#include "app/MessageBoxPrompts.h"
#include "app/TFmReadData.h"

namespace tarnwick::test {
namespace {

using Kind = RecordingPrompts::Kind;

TEST(MessagesTest, ANewVersionIsNamedWithItsAddressWhenNoBrowserStarts) {
    MainWindowFixture f;
    f.Sim().SetVersionAnswer("tarnwick=215\r\n");
    f.urls.browserStarts = false;
    TFmMain& window = f.OpenWindow();
    QSignalSpy handled(&window, &TFmMain::versionResultHandled);
    ASSERT_TRUE(handled.wait(20000));
    const std::vector<QString> messages = f.prompts.Texts(Kind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("软件已有新版 (版本号 215)。")))
        << messages[0].toStdString();
    EXPECT_TRUE(messages[0].endsWith(QStringLiteral("\n") +
                                     QString::fromStdString(Endpoints::Defaults().upgradePage)));
    // The status bar keeps the form's own notice.
    EXPECT_TRUE(window.StatusText().endsWith(QStringLiteral(" 软件已有新版,请升级.")));
}

TEST(MessagesTest, AQuestionFallsBackOnNo) {
    MessageBoxPrompts prompts(QStringLiteral("Quorvane"));
    QMessageBox::StandardButton fallback = QMessageBox::NoButton;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            fallback = box->standardButton(box->defaultButton());
            EXPECT_EQ(box->escapeButton(), box->button(QMessageBox::No));
            // Enter takes the default button.
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    poll.start();
    EXPECT_FALSE(prompts.AskYesNo(nullptr, QStringLiteral("您确定要删除 店 吗")));
    EXPECT_EQ(fallback, QMessageBox::No);
}

TEST(MessagesTest, TheNickFieldOffersTheRecentNicksNewestFirstAndOpensEmpty) {
    MainWindowFixture f;
    f.Sim().AddShop(Shop("老店", "old", {}));
    f.Sim().AddShop(Shop("新店", "new", {}));
    for (const char* nick : {"老店", "新店", "老店"}) {
        f.Analyse(nick);
    }
    f.OpenWindow();
    f.WithAnalyseDialog([&](TFmReadData& dialog) {
        auto* nicks = dialog.findChild<QComboBox*>("cbbNick");
        ASSERT_NE(nicks, nullptr);
        EXPECT_TRUE(nicks->isEditable());
        ASSERT_EQ(nicks->count(), 2);
        EXPECT_EQ(nicks->itemText(0), QStringLiteral("老店"));
        EXPECT_EQ(nicks->itemText(1), QStringLiteral("新店"));
        auto* input = dialog.findChild<QLineEdit*>("edtInput");
        EXPECT_EQ(input->text(), QString());
        // Choosing one from the list puts it in the field; Enter starts it.
        nicks->setCurrentIndex(1);
        EXPECT_EQ(input->text(), QStringLiteral("新店"));
        QTest::keyClick(input, Qt::Key_Return);
        EXPECT_EQ(dialog.Controller().CurrentRun()->Nick(), "新店");
        auto* log = dialog.findChild<QPlainTextEdit*>("mmoLog");
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return log->toPlainText().contains(QStringLiteral("本次分析")); }, 60000));
    });
}

TEST(MessagesTest, ARunEndsWithASummaryOfOursAfterItsOwnLines) {
    MainWindowFixture f;
    marketsim::Item bag = Item("7001", "手提包", "299.00", 2, 5, 80);
    bag.deals = {Deal("甲", "299.00", 1, TodayMidnight()),
                 Deal("乙", "299.00", 1, TodayMidnight())};
    bag.reviews = {Review("丙", "好", TodayMidnight(), "8001")};
    f.Sim().AddShop(Shop("皮具", "leather", {bag, Item("7002", "皮带", "9.00", 0, 1, 1)}));
    f.OpenWindow();
    f.WithAnalyseDialog([&](TFmReadData& dialog) {
        dialog.findChild<QLineEdit*>("edtInput")->setText(QStringLiteral("皮具"));
        dialog.findChild<QPushButton*>("btnStart")->click();
        auto* log = dialog.findChild<QPlainTextEdit*>("mmoLog");
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return log->toPlainText().contains(QStringLiteral("本次分析")); }, 60000));
        const QStringList lines = log->toPlainText().split('\n');
        ASSERT_GE(lines.size(), 2);
        EXPECT_EQ(lines[lines.size() - 2].mid(9), QStringLiteral("程序执行完成!"));
        static const QRegularExpression summary(QStringLiteral(
            "^\\d\\d:\\d\\d:\\d\\d 本次分析: 宝贝 2 个, 成交记录 2 条, 评价 1 条, 请求 \\d+ 次, "
            "用时 \\d+ 秒\\.$"));
        EXPECT_TRUE(summary.match(lines.back()).hasMatch()) << lines.back().toStdString();
    });
}

}  // namespace
}  // namespace tarnwick::test
