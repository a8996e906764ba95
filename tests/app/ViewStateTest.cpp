// The main window's arrangement is remembered from one start to the next.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include <QHeaderView>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>

#include "GuiTestSupport.h"
#include "views/DetailGrid.h"
#include "views/ItemListView.h"

namespace tarnwick::test {
namespace {

struct Arrangement {
    QSize size;
    QList<int> main;
    QList<int> items;
    QList<int> details;
    int titleWidth = 0;
    int buyerWidth = 0;
    int rateWidth = 0;
};

Arrangement Read(MainWindowFixture& f) {
    Arrangement a;
    a.size = f.Window().size();
    a.main = f.Find<QSplitter>("splMain")->sizes();
    a.items = f.Find<QSplitter>("pnlItem")->sizes();
    a.details = f.Find<QSplitter>("rpnlDetail")->sizes();
    a.titleWidth = f.Find<ItemListView>("lst")->columnWidth(ItemListModel::cxTitle);
    a.buyerWidth = f.Find<DetailGrid>("dbgBuyerList")->columnWidth(0);
    a.rateWidth = f.Find<DetailGrid>("dbgRateList")->columnWidth(1);
    return a;
}

TEST(ViewStateTest, SizesSplittersAndColumnWidthsComeBackAtTheNextStart) {
    QTemporaryDir config;
    MainWindowFixture f;
    f.viewStateFile = config.filePath("view.ini").toStdString();
    f.OpenWindow();
    const Arrangement defaults = Read(f);
    EXPECT_EQ(defaults.size, QSize(1024, 594));

    f.Window().resize(900, 640);
    QApplication::processEvents();
    f.Find<QSplitter>("splMain")->setSizes({220, 500, 160});
    f.Find<QSplitter>("pnlItem")->setSizes({300, 250});
    f.Find<QSplitter>("rpnlDetail")->setSizes({300, 200});
    f.Find<ItemListView>("lst")->setColumnWidth(ItemListModel::cxTitle, 321);
    f.Find<DetailGrid>("dbgBuyerList")->horizontalHeader()->resizeSection(0, 97);
    f.Find<DetailGrid>("dbgRateList")->horizontalHeader()->resizeSection(1, 151);
    QApplication::processEvents();
    const Arrangement arranged = Read(f);
    ASSERT_NE(arranged.main, defaults.main);
    f.Window().close();
    f.CloseWindow();

    f.OpenWindow();
    QApplication::processEvents();
    const Arrangement back = Read(f);
    EXPECT_EQ(back.size, QSize(900, 640));
    EXPECT_EQ(back.main, arranged.main);
    EXPECT_EQ(back.items, arranged.items);
    EXPECT_EQ(back.details, arranged.details);
    EXPECT_EQ(back.titleWidth, 321);
    // Sized by the user, so not fitted to the grid again.
    EXPECT_EQ(back.buyerWidth, 97);
    EXPECT_EQ(back.rateWidth, 151);
}

TEST(ViewStateTest, NoFileOrAnUnreadableOneGivesTheStartingArrangement) {
    QTemporaryDir config;
    const std::string path = config.filePath("view.ini").toStdString();
    {
        std::ofstream junk(path);
        junk << "[splitters]\nsplMain=nonsense\n[columns]\nlst=@ByteArray(xyz)\ngeometry=1\n";
    }
    std::optional<Arrangement> remembersNothing;
    for (const std::string& file : {std::string(), path}) {
        SCOPED_TRACE(file);
        MainWindowFixture f;
        f.viewStateFile = file;
        f.OpenWindow();
        QApplication::processEvents();
        const Arrangement a = Read(f);
        EXPECT_EQ(a.size, QSize(1024, 594));
        EXPECT_EQ(a.main.front(), 147);
        EXPECT_TRUE(f.prompts.shown.empty());
        if (!remembersNothing) {
            remembersNothing = a;
            continue;
        }
        // The junk changed no width: the columns are fitted as in a window without a file.
        EXPECT_EQ(a.main, remembersNothing->main);
        EXPECT_EQ(a.details, remembersNothing->details);
        EXPECT_EQ(a.titleWidth, remembersNothing->titleWidth);
        EXPECT_EQ(a.buyerWidth, remembersNothing->buyerWidth);
    }
}

}  // namespace
}  // namespace tarnwick::test
