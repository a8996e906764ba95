// Texts the competitor wrote, shown by the desktop program: every label, tooltip, message box
// and chart title shows them as their characters, never as markup, and a long one is cut.
#include <gtest/gtest.h>

#include <filesystem>

#include <QAbstractItemView>
#include <QApplication>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QHelpEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTimer>
#include <QToolTip>

#include "GuiTestSupport.h"
#include "app/MessageBoxPrompts.h"
#include "app/TFmCompare.h"
#include "app/TFmFullText.h"
#include "store/Store.h"
#include "views/ItemHistoryChart.h"
#include "views/ItemListView.h"
#include "views/PlainText.h"

namespace tarnwick::test {
namespace {

const std::string kMarkup = "<b>粗体</b><a href=\"http://x.example/\">链接</a>";
const std::string kImage = "<img src=\"file:///etc/hostname\">";
const std::string kControls = "\x1b]0;改标题\x07\x01\xc2\x85";  // ESC, BEL, SOH, NEL (C1)
const std::string kOverride =
    "\xe2\x80\xae"
    "gpj.exe";  // U+202E before the text

std::string Table() {
    std::string table = "<table border=1>";
    for (int i = 0; i < 1000; ++i) {
        table += "<tr><td>格" + std::to_string(i) + "</td></tr>";
    }
    return table + "</table>";
}

// 5,000 characters, the markup at its end where only an uncut text would reach it.
std::string LongTitle() {
    std::string title;
    for (int i = 0; i < 5000 - 10; ++i) {
        title += "长";
    }
    return title + "<b>尾</b>";
}

struct Shown {
    QString where;
    QString text;
    bool rich;                // how the widget reads the text
    bool boldOfOurs = false;  // the chart's title is bold by its own font
};

// What the user sees of a text shown as rich text: its characters, and whether any element
// beyond our own paragraphs and line breaks came out of it.
void ExpectOnlyCharacters(const Shown& shown) {
    SCOPED_TRACE(shown.where.toStdString());
    QString plain = shown.text;
    if (shown.rich) {
        QTextDocument document;
        document.setHtml(shown.text);
        EXPECT_TRUE(document.rootFrame()->childFrames().isEmpty()) << "a table";
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat format = it.fragment().charFormat();
                EXPECT_FALSE(format.isImageFormat()) << "an image";
                EXPECT_FALSE(format.isAnchor()) << "a link";
                if (!shown.boldOfOurs) {
                    EXPECT_LE(format.fontWeight(), QFont::Normal) << "bold";
                }
            }
        }
        plain = document.toPlainText();
    }
    for (QChar c : plain) {
        const char16_t u = c.unicode();
        EXPECT_FALSE((u < 0x20 && u != '\n' && u != '\t') || (u >= 0x7F && u <= 0x9F) ||
                     (u >= 0x202A && u <= 0x202E))
            << "a hidden character U+" << std::hex << int(u);
    }
}

// Every tooltip of every row of every grid and tree of the window, and every label.
std::vector<Shown> Collect(QWidget& window) {
    std::vector<Shown> shown;
    for (auto* label : window.findChildren<QLabel*>()) {
        const bool rich =
            label->textFormat() == Qt::RichText ||
            (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
        shown.push_back({QStringLiteral("label ") + label->objectName(), label->text(), rich});
    }
    for (auto* widget : window.findChildren<QWidget*>()) {
        if (!widget->toolTip().isEmpty()) {
            shown.push_back({QStringLiteral("tooltip of ") + widget->objectName(),
                             widget->toolTip(), Qt::mightBeRichText(widget->toolTip())});
        }
    }
    for (auto* view : window.findChildren<QAbstractItemView*>()) {
        const QAbstractItemModel* model = view->model();
        if (model == nullptr) {
            continue;
        }
        for (int row = 0; row < model->rowCount(); ++row) {
            for (int column = 0; column < model->columnCount(); ++column) {
                const QString tip = model->index(row, column).data(Qt::ToolTipRole).toString();
                if (!tip.isEmpty()) {
                    shown.push_back({QStringLiteral("cell tooltip in ") + view->objectName(), tip,
                                     Qt::mightBeRichText(tip)});
                }
                // Cells are painted as plain text; only their characters matter.
                shown.push_back({QStringLiteral("cell in ") + view->objectName(),
                                 model->index(row, column).data().toString(), false});
            }
        }
    }
    return shown;
}

class PlainTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        Store store = f.OpenStore();
        const std::string nick = kMarkup + kImage + kOverride + kControls;
        for (const char* sid : {"20260301100000000", "20260302100000000"}) {
            ShopRow shop;
            shop.SID = sid;
            shop.OwnerID = "9001";
            shop.WWName = nick;
            shop.ShopURL = "http://shop.example/" + kImage;
            shop.AddTime = DateTime::FromText(std::string(sid).substr(0, 4) + "-03-0" + sid[7] +
                                              " 10:00:00.000");
            store.AppendShop(shop);
            ItemRow tabled;
            tabled.sid = sid;
            tabled.ItemID = "1";
            tabled.title = kImage + Table();
            tabled.price = sid[7] == '1' ? 10 : 12;
            store.AppendItem(tabled);
            ItemRow longer = tabled;
            longer.ItemID = "2";
            longer.title = LongTitle();
            store.AppendItem(longer);
            BuyerRow buyer;
            buyer.sid = sid;
            buyer.itemid = "1";
            buyer.Buyer = kMarkup + kOverride;
            buyer.sku = Table();
            buyer.price = 10;
            buyer.amount = 1;
            store.AppendBuyer(buyer);
            RateRow rate;
            rate.sid = sid;
            rate.itemid = "1";
            rate.displayUserNick = kImage;
            rate.rateContent = LongTitle() + kControls;
            store.AppendRate(rate);
            RunHealthRow health;
            health.sid = sid;
            health.verdict = "degraded";
            health.reasons = kMarkup + "\n" + Table();
            store.AppendRunHealth(health);
        }
    }

    MainWindowFixture f;
};

TEST_F(PlainTextTest, HostileRowsShowAsTheirCharactersInEveryPlaceTheWindowsOpen) {
    TFmMain& window = f.OpenWindow();
    f.ClickTreeNode(0);
    auto* list = f.Find<ItemListView>("lst");
    ASSERT_EQ(list->model()->rowCount(), 2);
    list->FocusRow(0);
    std::vector<Shown> shown = Collect(window);

    // The delete question and the box of an address no browser took name the run as written.
    f.prompts.yesNoAnswers = {false};
    f.Click("btnDelShop");
    f.urls.browserStarts = false;
    f.Click("btnOpenShop");
    for (const QString& text : f.prompts.Texts(RecordingPrompts::Kind::Question)) {
        EXPECT_TRUE(text.contains(QString::fromStdString(kMarkup))) << text.toStdString();
        shown.push_back({QStringLiteral("delete question"), text, false});
    }
    const std::vector<QString> messages = f.prompts.Texts(RecordingPrompts::Kind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains(QString::fromStdString(kImage)));
    shown.push_back({QStringLiteral("address box"), messages[0], false});

    // The row's whole text, opened from the keyboard.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_NE(window.FullTextWindow(), nullptr);
    EXPECT_TRUE(window.FullTextWindow()->Text().contains(QString::fromStdString(Table())));

    // The comparison: its header, its table and the chosen item's chart, title and tooltip.
    f.Click("btnCompare");
    TFmCompare* compare = window.CompareWindow();
    ASSERT_NE(compare, nullptr);
    ASSERT_TRUE(compare->SelectItem("1"));
    QApplication::processEvents();
    for (Shown& one : Collect(*compare)) {
        shown.push_back(std::move(one));
    }
    ItemHistoryChart& chart = compare->Chart();
    int titles = 0;
    for (QGraphicsItem* item : chart.scene()->items()) {
        if (auto* text = dynamic_cast<QGraphicsTextItem*>(item); text && text->isVisible()) {
            // The chart's own text items, read as the chart lays them out: HTML.
            shown.push_back({QStringLiteral("chart text"), text->toHtml(), true, true});
            titles += text->toPlainText().startsWith(QString::fromStdString(kImage)) ? 1 : 0;
        }
    }
    EXPECT_EQ(titles, 1) << "the item's title, escaped, as the chart's title";
    QHelpEvent help(QEvent::ToolTip, QPoint(chart.width() / 2, 8),
                    chart.viewport()->mapToGlobal(QPoint(chart.width() / 2, 8)));
    QApplication::sendEvent(chart.viewport(), &help);
    EXPECT_TRUE(ShownTip(QToolTip::text()).startsWith(QString::fromStdString(kImage)))
        << QToolTip::text().toStdString();
    shown.push_back({QStringLiteral("chart title tooltip"), QToolTip::text(), true});

    for (const Shown& one : shown) {
        ExpectOnlyCharacters(one);
    }

    // The markup is there to read, literally, and a long text is cut in its tooltip.
    const QString statusText = f.Find<QLabel>("m_statusPanel")->text();
    EXPECT_TRUE(statusText.contains(QString::fromStdString(kMarkup))) << statusText.toStdString();
    const QString titleTip = list->model()->index(0, 2).data(Qt::ToolTipRole).toString();
    EXPECT_TRUE(ShownTip(titleTip).startsWith(QString::fromStdString(kImage + "<table border=1>")));
    EXPECT_EQ(ShownTip(titleTip).size(), kTipLength);
    EXPECT_TRUE(ShownTip(titleTip).endsWith(QChar(0x2026)));
    const QString longTip = list->model()->index(1, 2).data(Qt::ToolTipRole).toString();
    EXPECT_FALSE(ShownTip(longTip).contains(QStringLiteral("尾")));
    // The long nick and title widen no window.
    EXPECT_EQ(window.width(), 1024);
    compare->close();
}

TEST(PlainTextBoxTest, EveryMessageBoxShowsItsTextPlain) {
    MessageBoxPrompts prompts(QStringLiteral("Quorvane"));
    const QString text = QString::fromStdString(kImage + kMarkup);
    std::vector<Qt::TextFormat> formats;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        formats.push_back(label ? label->textFormat() : Qt::RichText);
        EXPECT_EQ(box->text(), text);
        box->done(QMessageBox::No);
    });
    poll.start();
    prompts.ShowInfoBox(nullptr, text);
    prompts.ShowMessage(nullptr, text);
    prompts.ShowError(nullptr, text);
    EXPECT_FALSE(prompts.AskYesNo(nullptr, text));
    EXPECT_EQ(formats, std::vector<Qt::TextFormat>(4, Qt::PlainText));
}

TEST(PlainTextHelperTest, HiddenCharactersShowAndCutsKeepWholeCharacters) {
    EXPECT_EQ(ShownText(QString::fromUtf8("a\x1b[2Jb\tc\nd\xe2\x80\xae"
                                          "e\xe2\x81\xa6"
                                          "f\x7f")),
              QString::fromUtf8("a\xef\xbf\xbd[2Jb\tc\nd\xef\xbf\xbd"
                                "e\xef\xbf\xbd"
                                "f\xef\xbf\xbd"));
    EXPECT_EQ(CutText(QStringLiteral("abcdef"), 6), QStringLiteral("abcdef"));
    EXPECT_EQ(CutText(QStringLiteral("abcdefg"), 6), QStringLiteral("abcde…"));
    // A character outside the BMP is two UTF-16 units: never cut between them.
    const QString emoji =
        QStringLiteral("ab") + QString::fromUtf8("\xf0\x9f\x98\x80") + QStringLiteral("cdef");
    EXPECT_EQ(CutText(emoji, 4), QStringLiteral("ab…"));
    EXPECT_EQ(TipText(QString()), QString());
    EXPECT_EQ(ShownTip(TipText(QStringLiteral("<b>x</b> & y\nz"))),
              QStringLiteral("<b>x</b> & y\nz"));
}

}  // namespace
}  // namespace tarnwick::test

namespace tarnwick::test {
namespace {

// A title past a workbook cell's limit: the export still writes, cut, and says how many cells
// it cut after the form's own message.
TEST(PlainTextExportTest, AWorkbookThatCutATextSaysSoAfterItsSuccess) {
    MainWindowFixture f;
    {
        Store store = f.OpenStore();
        ShopRow shop;
        shop.SID = "20260301100000000";
        shop.WWName = "长标题店";
        shop.AddTime = DateTime::FromText("2026-03-01 10:00:00.000");
        store.AppendShop(shop);
        ItemRow item;
        item.sid = shop.SID;
        item.ItemID = "1";
        item.title = std::string(40000, 'x');
        store.AppendItem(item);
    }
    f.OpenWindow();
    f.ClickTreeNode(0);
    f.prompts.saveAnswers = {QString::fromStdString((f.Folder().Folder() / "long").string())};
    f.Click("btnExport");
    EXPECT_EQ(f.prompts.Texts(RecordingPrompts::Kind::Message),
              (std::vector<QString>{QStringLiteral("导出成功."),
                                    QStringLiteral("1 个单元格的文字超过 32767 个字符, 已截断.")}));
    EXPECT_TRUE(std::filesystem::exists(f.Folder().Folder() / "long.xlsx"));
}

}  // namespace
}  // namespace tarnwick::test
