// The main window from the keyboard alone: the tree's selected run is the run shown, Tab walks
// the window's parts, every button has a key, Enter opens a row's whole text, and delete acts
// on the run shown.
#include <gtest/gtest.h>

#include <map>

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeWidget>

#include "TestShops.h"
#include "app/Language.h"
#include "app/TFmCompare.h"
#include "app/TFmFullText.h"
#include "app/TFmReadData.h"
#include "store/Store.h"
#include "views/DetailLists.h"
#include "views/ItemListView.h"

namespace tarnwick::test {
namespace {

using Kind = RecordingPrompts::Kind;

marketsim::Shop ReviewedShop() {
    const DateTime today = TodayMidnight();
    marketsim::Item dress = Item("5001", "春季新款连衣裙", "128.00", 3, 40, 900);
    dress.deals = {Deal("买家甲", "120.00", 2, today.AddDays(-20))};
    dress.reviews = {
        Review("小明", "质量很好，颜色和图片一样，下次还来", today.AddDays(-1), "9001")};
    marketsim::Item shirt = Item("5002", "纯棉T恤", "39.90", 1, 12, 50);
    shirt.deals = {Deal("买家乙", "39.90", 1, today.AddDays(-2))};
    return Shop("星光女装", "star", {dress, shirt});
}

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        f.Sim().AddShop(ReviewedShop());
        f.Sim().AddShop(Shop("时光小铺", "time", {Item("6001", "围巾", "45.00", 0, 3, 9)}));
        m_older = f.Analyse("星光女装");
        m_newer = f.Analyse("时光小铺");
        f.OpenWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&f.Window()));
    }

    // A key as the user presses it: to whatever has the focus.
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr) << "nothing has the focus";
        QTest::keyClick(focused, key, modifiers);
    }
    QString Focused() const {
        QWidget* focused = QApplication::focusWidget();
        return focused ? focused->objectName() : QStringLiteral("(none)");
    }

    MainWindowFixture f;
    std::string m_older;
    std::string m_newer;
};

TEST_F(KeyboardTest, OpenARunSwitchWindowsReadAReviewAndDeleteTheRunShown) {
    TFmMain& window = f.Window();
    auto* tree = f.Find<QTreeWidget>("tv");
    auto* list = f.Find<ItemListView>("lst");
    auto& details = *f.Find<DetailLists>("rpnlDetail");
    tree->setFocus(Qt::TabFocusReason);

    // Home and the arrows choose, as clicks do: the list follows the selected run.
    Press(Qt::Key_Home);
    ASSERT_TRUE(window.CurrentShop().has_value());
    EXPECT_EQ(window.CurrentShop()->Sid, m_newer);
    EXPECT_EQ(list->Model().Count(), 1);
    Press(Qt::Key_Down);
    EXPECT_EQ(window.CurrentShop()->Sid, m_older);
    EXPECT_EQ(window.StatusText(), QStringLiteral("掌柜:星光女装"));
    EXPECT_EQ(list->Model().Count(), 2);

    // Alt+2 is the last week: the dress, sold twenty days ago, goes. A key that presses a
    // button takes the focus there, as a mnemonic does.
    Press(Qt::Key_2, Qt::AltModifier);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return window.CurrentTimeWindow() == TimeWindow::LastWeek; }));
    EXPECT_EQ(f.ListColumn(ItemListModel::cxTitle), (std::vector<QString>{"纯棉T恤"}));
    Press(Qt::Key_1, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->Model().Count() == 2; }));
    EXPECT_EQ(Focused(), QStringLiteral("btnAllData"));

    // Tab goes from part to part, never from cell to cell: back from the buttons to the tree,
    // then on to the grids.
    for (const char* part : {"dbgRateList", "dbgBuyerList", "lst", "edtFilter", "tv"}) {
        Press(Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_EQ(Focused(), QString::fromLatin1(part));
    }
    Press(Qt::Key_Tab);
    EXPECT_EQ(Focused(), QStringLiteral("edtFilter"));
    Press(Qt::Key_Tab);
    EXPECT_EQ(Focused(), QStringLiteral("lst"));
    // Coming into the list focuses its first line, which the detail lists then show.
    ASSERT_TRUE(list->FocusedItem().has_value());
    EXPECT_EQ(list->FocusedItem()->ItemID, "5001");
    EXPECT_EQ(details.Rates().rowCount(), 1);
    Press(Qt::Key_Down);
    EXPECT_EQ(list->FocusedItem()->ItemID, "5002");
    EXPECT_EQ(details.Rates().rowCount(), 0);
    Press(Qt::Key_Up);
    EXPECT_EQ(details.Rates().rowCount(), 1);
    Press(Qt::Key_Tab);
    EXPECT_EQ(Focused(), QStringLiteral("dbgBuyerList"));
    Press(Qt::Key_Tab);
    EXPECT_EQ(Focused(), QStringLiteral("dbgRateList"));

    // Enter on the review opens its whole text, plain and selectable; Esc closes it.
    Press(Qt::Key_Return);
    TFmFullText* full = window.FullTextWindow();
    ASSERT_NE(full, nullptr);
    EXPECT_TRUE(full->isVisible());
    EXPECT_TRUE(full->Text().contains(QStringLiteral("质量很好，颜色和图片一样，下次还来")));
    EXPECT_TRUE(full->Text().contains(QStringLiteral("小明")));
    auto* text = full->findChild<QPlainTextEdit*>("mmoText");
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_TRUE(text->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    // The text has the focus in its window (the offscreen platform does not move the active
    // window, so the key goes to it directly).
    ASSERT_EQ(full->focusWidget(), text);
    QTest::keyClick(text, Qt::Key_Escape);
    EXPECT_FALSE(full->isVisible());

    // Back in the tree, the Delete key deletes the run shown, named with its time; No first.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    tree->setFocus(Qt::BacktabFocusReason);
    f.prompts.yesNoAnswers = {false, true};
    Press(Qt::Key_Delete);
    EXPECT_EQ(f.prompts.Texts(Kind::Question).size(), 1u);
    Press(Qt::Key_E, Qt::AltModifier);
    // The button's key presses it as a click would, a moment later.
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.prompts.Texts(Kind::Question).size() == 2; }));
    const std::vector<QString> asked = f.prompts.Texts(Kind::Question);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked[1].startsWith(QStringLiteral("您确定要删除 星光女装 (")))
        << asked[1].toStdString();
    Store store = f.OpenStore();
    ASSERT_EQ(store.ReadShops().size(), 1u);
    EXPECT_EQ(store.ReadShops()[0].SID, m_newer);
    // Nothing of the deleted run stays on screen.
    EXPECT_FALSE(window.CurrentShop().has_value());
    EXPECT_EQ(list->Model().Count(), 0);
    EXPECT_EQ(details.Buyers().rowCount(), 0);
    EXPECT_EQ(window.StatusText(), QString());
}

TEST_F(KeyboardTest, TheTreeMenuShowsTheRightClickedRunBeforeActingOnIt) {
    f.ClickTreeNode(1);
    ASSERT_EQ(f.Window().CurrentShop()->Sid, m_older);
    // The menu opens on the press, before the selection has followed it: it shows the node
    // under the pointer first, so that "删除" names and deletes the run on screen.
    auto* tree = f.Find<QTreeWidget>("tv");
    const QPoint at = tree->visualItemRect(tree->topLevelItem(0)).center();
    QTest::mousePress(tree->viewport(), Qt::RightButton, {}, at);
    EXPECT_EQ(f.Window().CurrentShop()->Sid, m_older) << "chose on the press";
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, tree->viewport()->mapToGlobal(at));
    QApplication::sendEvent(tree->viewport(), &menu);
    ASSERT_EQ(f.Window().CurrentShop()->Sid, m_newer);
    EXPECT_EQ(f.ListColumn(ItemListModel::cxTitle), (std::vector<QString>{"围巾"}));
    auto* popup = f.Find<QMenu>("pmTV");
    ASSERT_TRUE(popup->isVisible());
    popup->close();
    f.prompts.yesNoAnswers = {true};
    f.Find<QAction>("pmDelShop")->trigger();
    ASSERT_EQ(f.prompts.Texts(Kind::Question).size(), 1u);
    EXPECT_TRUE(
        f.prompts.Texts(Kind::Question)[0].startsWith(QStringLiteral("您确定要删除 时光小铺 (")));
    EXPECT_EQ(f.TreeCaptions(), (std::vector<QString>{"星光女装"}));
}

// Every button and check box of every window has a key, none shared within a window, in both
// languages; the Chinese captions are the form's, bare.
TEST_F(KeyboardTest, EveryButtonHasAKeyOfItsOwnInBothLanguages) {
    f.Analyse("星光女装");  // a run with one before it, to compare
    for (Language language : {Language::Chinese, Language::English}) {
        SCOPED_TRACE(language == Language::English ? "English" : "Chinese");
        ASSERT_TRUE(UseLanguage(language));
        f.CloseWindow();
        f.OpenWindow();
        f.ClickTreeNode(0);
        f.Click("btnCompare");
        ASSERT_NE(f.Window().CompareWindow(), nullptr);
        std::vector<QWidget*> windows{&f.Window(), f.Window().CompareWindow()};
        f.WithAnalyseDialog([&](TFmReadData& dialog) {
            windows.push_back(&dialog);
            for (QWidget* window : windows) {
                SCOPED_TRACE(window->objectName().toStdString());
                std::map<QKeySequence, QString> taken;
                for (auto* button : window->findChildren<QAbstractButton*>()) {
                    // The parts of Qt's own widgets (a grid's corner, a field's clear button)
                    // take no focus and are no buttons of ours; the windows opened from this
                    // one are counted on their own.
                    if (button->focusPolicy() == Qt::NoFocus || button->window() != window) {
                        continue;
                    }
                    SCOPED_TRACE(button->objectName().toStdString());
                    EXPECT_FALSE(button->shortcut().isEmpty()) << button->text().toStdString();
                    EXPECT_FALSE(taken.contains(button->shortcut()))
                        << "shared with " << taken[button->shortcut()].toStdString();
                    taken[button->shortcut()] = button->objectName();
                    if (language == Language::Chinese) {
                        EXPECT_FALSE(button->text().contains(QLatin1Char('&')))
                            << button->text().toStdString();
                    }
                }
            }
        });
        f.Window().CompareWindow()->close();
    }
    UseLanguage(Language::Chinese);
    f.CloseWindow();
    f.OpenWindow();
    const std::pair<const char*, const char*> captions[] = {
        {"btnShopAssay", "分析店铺"},
        {"btnOpenShop", "查看店铺"},
        {"btnDelShop", "删除店铺"},
        {"btnAllData", "所有数据"},
        {"btnWeek", "最近一周"},
        {"btnMonth", "最近一月"},
        {"btnThisWeek", "本周数据"},
        {"btnThisMonth", "本月数据"},
        {"btnExport", "导出到EXCEL"},
        {"btnSelectAll", "全选"},
        {"btnSelectNone", "全不选"},
        {"btnSelectOther", "反选"},
        {"btnExportBuyer", "导出勾选宝贝评价客户列表"},
    };
    for (const auto& [name, caption] : captions) {
        EXPECT_EQ(f.Find<QAbstractButton>(name)->text(), QString::fromUtf8(caption)) << name;
    }
    EXPECT_EQ(f.Find<QAbstractButton>("btnCompare")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_C));
}

}  // namespace
}  // namespace tarnwick::test
