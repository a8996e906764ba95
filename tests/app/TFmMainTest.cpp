// The main window's start-up, frame, editions, outside links and version check.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "GuiTestSupport.h"
#include "MarketSim.h"
#include "app/TFmReadData.h"
#include "fetch/Endpoints.h"
#include "support/TempStore.h"
#include "views/ItemListView.h"

namespace tarnwick::test {
namespace {

using Kind = RecordingPrompts::Kind;

TEST(TFmMainTest, FrameHasTheFormsRegionsInOrderAndSize) {
    MainWindowFixture f;
    TFmMain& window = f.OpenWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    EXPECT_EQ(window.size(), QSize(1024, 594));
    EXPECT_EQ(f.Find<QWidget>("pnlTop")->height(), 69);
    EXPECT_EQ(f.Find<QStatusBar>("stat")->height(), 27);
    EXPECT_EQ(f.Find<QWidget>("rspLeft")->width(), 147);
    EXPECT_EQ(f.Find<QWidget>("rspMain_Right")->width(), 117);
    EXPECT_EQ(f.Find<QWidget>("pnlLeft_bottom")->height(), 41);
    EXPECT_EQ(f.Find<QWidget>("rpnlDetail")->height(), 134);
    // The review part gives up some of its 384 pixels at this width, so that the buyer part
    // shows all its columns; a wider window gives it all of them (ListPolishTest).
    EXPECT_LE(f.Find<QWidget>("rpnlRateList")->width(), 384);
    EXPECT_GE(f.Find<QWidget>("rpnlRateList")->width(), 300);

    // The toolbar's buttons side by side from the left edge, 2 apart.
    const char* tools[] = {"btnShopAssay", "btnHelp", "btnUpdate", "btnExit", "btnWatch"};
    for (int i = 0; i < 5; ++i) {
        auto* button = f.Find<QToolButton>(tools[i]);
        ASSERT_NE(button, nullptr) << tools[i];
        EXPECT_EQ(button->geometry(), QRect(i * 72, 4, 70, 60)) << tools[i];
    }
    // The reviewer export's caption needs two lines.
    EXPECT_GT(f.Find<QPushButton>("btnExportBuyer")->height(),
              2 * f.Find<QPushButton>("btnExport")->fontMetrics().height());

    // Count labels start empty; nothing went wrong at start.
    EXPECT_EQ(f.Find<QLabel>("lblBuyerCount")->text(), QString());
    EXPECT_EQ(f.Find<QLabel>("lblCommentCount")->text(), QString());
    EXPECT_EQ(window.StatusText(), QString());
    EXPECT_TRUE(f.prompts.shown.empty());
}

struct EditionCase {
    const char* name;
    const char* file;
    Edition edition;
    const char* caption;
    std::string Endpoints::*help;
    std::string Endpoints::*upgrade;
};

void PrintTo(const EditionCase& c, std::ostream* out) {
    *out << c.name;
}

class TFmMainEditionTest : public ::testing::TestWithParam<EditionCase> {};

TEST_P(TFmMainEditionTest, CaptionTrayHintAndPagesFollowTheDatabaseFile) {
    const EditionCase& c = GetParam();
    MainWindowFixture f(c.file);
    TFmMain& window = f.OpenWindow();
    EXPECT_EQ(window.GetEdition(), c.edition);
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8(c.caption));
    EXPECT_EQ(window.TrayIcon()->toolTip(), window.windowTitle());

    f.Click("btnHelp");
    f.Click("btnUpdate");
    f.Click("btnHelp");
    const Endpoints pages = Endpoints::Defaults();
    EXPECT_EQ(f.urls.opened,
              (std::vector<std::string>{pages.*c.help, pages.*c.upgrade, pages.*c.help}));
    EXPECT_TRUE(f.prompts.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Editions, TFmMainEditionTest,
    ::testing::Values(EditionCase{"Standard", "vexodb.qdb", Edition::Standard,
                                  "Corvell软件-Quorvane V3.06", &Endpoints::helpPage,
                                  &Endpoints::upgradePage},
                      EditionCase{"Agent", "vexo.qdb", Edition::Agent, "Corvell软件-Quorvane V3.06",
                                  &Endpoints::helpPage, &Endpoints::agentUpgradePage},
                      EditionCase{"Partner", "Tarnwick_zq.qdb", Edition::Partner,
                                  "Halden软件-Quorvane V3.06", &Endpoints::partnerHelpPage,
                                  &Endpoints::partnerUpdatePage}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TFmMainTest, MissingDatabaseIsReportedAndTheWindowStillOpens) {
    MainWindowFixture f("");
    TFmMain& window = f.OpenWindow();

    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.GetEdition(), Edition::Standard);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Corvell软件-Quorvane V3.06"));
    auto messages = f.prompts.Texts(Kind::Message);
    ASSERT_EQ(messages.size(), 1u);
    const QString expected = QStringLiteral("找不到数据文件： \"") +
                             QString::fromStdString(f.Folder().FolderWithSeparator()) +
                             QStringLiteral("vexodb.qdb\" ");
    EXPECT_TRUE(messages[0].startsWith(expected)) << messages[0].toStdString();
    EXPECT_GT(messages[0].size(), expected.size());  // the engine's own text follows
    // The tree query fails at show and is reported once; the later show steps are skipped.
    EXPECT_EQ(f.prompts.Texts(Kind::Error).size(), 1u);
    EXPECT_TRUE(f.TreeCaptions().empty());

    // The window stays usable: the reload after the dialog fails on its own, in the error box,
    // and what needs no database works.
    f.WithAnalyseDialog([](TFmReadData&) {});
    EXPECT_EQ(f.prompts.Texts(Kind::Error).size(), 2u);
    f.Click("btnHelp");
    EXPECT_EQ(f.urls.opened.size(), 1u);
}

TEST(TFmMainTest, AnAddressNoBrowserTookIsShownForCopying) {
    MainWindowFixture f;
    f.OpenWindow();
    f.urls.browserStarts = false;
    f.Click("btnHelp");
    f.Click("btnUpdate");
    const Endpoints pages = Endpoints::Defaults();
    const QString lead = QStringLiteral("无法启动浏览器。请把下面的地址复制到浏览器中打开:\n");
    EXPECT_EQ(f.prompts.Texts(Kind::Message),
              (std::vector<QString>{lead + QString::fromStdString(pages.helpPage),
                                    lead + QString::fromStdString(pages.upgradePage)}));
    // A browser that starts needs no word.
    f.urls.browserStarts = true;
    f.Click("btnHelp");
    EXPECT_EQ(f.prompts.Texts(Kind::Message).size(), 2u);
    EXPECT_EQ(f.urls.opened.size(), 3u);
}

struct VersionCase {
    const char* name;
    const char* answer;
    bool offersUpgrade;
};

void PrintTo(const VersionCase& c, std::ostream* out) {
    *out << c.name;
}

class TFmMainVersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(TFmMainVersionTest, ResultIsHandledWhileTheModalDialogIsOpen) {
    MainWindowFixture f;
    f.Sim().SetVersionAnswer(GetParam().answer);
    marketsim::Fault hold;
    hold.match = "/version";
    hold.hold = true;
    f.Sim().AddFault(hold);
    TFmMain& window = f.OpenWindow();
    QSignalSpy handled(&window, &TFmMain::versionResultHandled);

    f.WithAnalyseDialog([&](TFmReadData& dialog) {
        ASSERT_TRUE(f.Sim().WaitForHeld(1));
        f.Sim().ReleaseHolds();
        ASSERT_TRUE(QTest::qWaitFor([&] { return handled.count() == 1; }, 20000));
        EXPECT_TRUE(dialog.isVisible());
        if (GetParam().offersUpgrade) {
            EXPECT_EQ(f.urls.opened, (std::vector<std::string>{Endpoints::Defaults().upgradePage}));
            static const QRegularExpression stamp(
                QStringLiteral("^\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d 软件已有新版,请升级\\.$"));
            EXPECT_TRUE(stamp.match(window.StatusText()).hasMatch())
                << window.StatusText().toStdString();
        } else {
            EXPECT_TRUE(f.urls.opened.empty());
            EXPECT_EQ(window.StatusText(), QString());
        }
    });
    ASSERT_EQ(handled.count(), 1);
    EXPECT_TRUE(f.prompts.shown.empty());
    auto requests = f.Sim().Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0].target, "/version?softname=tarnwick");
}

INSTANTIATE_TEST_SUITE_P(Answers, TFmMainVersionTest,
                         ::testing::Values(VersionCase{"Newer", "tarnwick=207\r\n", true},
                                           VersionCase{"NewerOtherCase",
                                                       "other=500\r\nTarnwick=300\r\n", true},
                                           VersionCase{"Same", "tarnwick=206\r\n", false},
                                           VersionCase{"NotANumber", "tarnwick=abc\r\n", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TFmMainTest, DialogMinimisesTheApplicationAndExitCloses) {
    MainWindowFixture f;
    TFmMain& window = f.OpenWindow();
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());  // offscreen: minimise normally
    f.WithAnalyseDialog([&](TFmReadData& dialog) {
        dialog.findChild<QPushButton*>("btnMinimize")->click();
        EXPECT_TRUE(window.isMinimized());
    });
    window.RestoreApplication();
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isVisible());

    f.Click("btnExit");
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace tarnwick::test

namespace tarnwick::test {
namespace {

TEST(TFmMainServerStoreTest, AServerGivenWithDbIsBrowsedLikeTheFile) {
    const TempStore server(StoreKind::Server);
    MainWindowFixture f;
    f.databaseLocation = server.Location();
    const marketsim::Shop shop = marketsim::DemoShop(1);
    f.Sim().AddShop(shop);
    f.Analyse(shop.nick);

    f.OpenWindow();
    EXPECT_TRUE(f.prompts.Texts(RecordingPrompts::Kind::Message).empty());
    EXPECT_TRUE(f.prompts.Texts(RecordingPrompts::Kind::Error).empty());
    EXPECT_EQ(f.Window().GetEdition(), Edition::Standard);
    const auto captions = f.TreeCaptions();
    ASSERT_EQ(captions.size(), 1u);
    EXPECT_TRUE(captions[0].contains(QString::fromStdString(shop.nick)))
        << captions[0].toStdString();
    f.ClickTreeNode(0);
    EXPECT_EQ(f.ListColumn(ItemListModel::cxTitle).size(), shop.items.size());
    // The file beside the program was not touched.
    EXPECT_TRUE(Store::Open(StoreSource::File(f.Folder().Path())).ReadShops().empty());
}

TEST(TFmMainServerStoreTest, AnUnreachableServerIsReportedWithoutItsPassword) {
    MainWindowFixture f;
    f.databaseLocation = "postgresql://team:s3cret@/x?host=/nonexistent-tarnwick";
    f.OpenWindow();
    const auto messages = f.prompts.Texts(RecordingPrompts::Kind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral(
        "无法连接数据库服务器： \"postgresql://team:***@/x?host=/nonexistent-tarnwick\" ")))
        << messages[0].toStdString();
    EXPECT_FALSE(messages[0].contains(QStringLiteral("s3cret")));
    EXPECT_TRUE(f.TreeCaptions().empty());
}

}  // namespace
}  // namespace tarnwick::test
