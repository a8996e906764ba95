// The English interface: chosen by --lang or the system locale, and complete in the windows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <QAbstractButton>
#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include "TestShops.h"
#include "app/Language.h"
#include "app/TFmReadData.h"

namespace tarnwick::test {
namespace {

TEST(LanguageTest, OptionWinsAndOnlyAnEnglishLocaleGivesEnglishWithoutIt) {
    struct Case {
        const char* option;
        const char* locale;
        std::optional<Language> chosen;
    };
    const Case cases[] = {
        {"", "en_US", Language::English},      {"", "en_GB", Language::English},
        {"", "zh_CN", Language::Chinese},      {"", "de_DE", Language::Chinese},
        {"", "C", Language::Chinese},          {"en", "zh_CN", Language::English},
        {"EN_us", "de_DE", Language::English}, {"zh", "en_US", Language::Chinese},
        {"zh-TW", "en_US", Language::Chinese}, {"fr", "en_US", std::nullopt},
        {"english", "zh_CN", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.option) + " / " + c.locale);
        EXPECT_EQ(
            ChooseLanguage(QString::fromLatin1(c.option), QLocale(QString::fromLatin1(c.locale))),
            c.chosen);
    }
}

bool HasChinese(const QString& text) {
    for (QChar c : text) {
        if (c.unicode() >= 0x3000) {
            return true;
        }
    }
    return false;
}

// Every caption a window shows of its own, headers included.
std::vector<QString> Captions(QWidget& window) {
    std::vector<QString> texts{window.windowTitle()};
    for (auto* button : window.findChildren<QAbstractButton*>()) {
        texts.push_back(button->text());
    }
    for (auto* label : window.findChildren<QLabel*>()) {
        texts.push_back(label->text());
    }
    for (auto* edit : window.findChildren<QLineEdit*>()) {
        texts.push_back(edit->placeholderText());
    }
    for (auto* box : window.findChildren<QComboBox*>()) {
        texts.push_back(box->currentText());
    }
    for (auto* grid : window.findChildren<QTableView*>()) {
        for (int column = 0; column < grid->model()->columnCount(); ++column) {
            texts.push_back(grid->model()->headerData(column, Qt::Horizontal).toString());
        }
    }
    return texts;
}

class EnglishInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(UseLanguage(Language::English)); }
    void TearDown() override { UseLanguage(Language::Chinese); }
};

TEST_F(EnglishInterfaceTest, WindowsSpeakEnglishWhileDataStaysAsStored) {
    MainWindowFixture f;
    f.Sim().AddShop(
        Shop("星光女装", "star", {Item("5001", "春季新款连衣裙", "128.00", 3, 40, 900)}));
    f.Analyse("星光女装");
    TFmMain& window = f.OpenWindow();

    EXPECT_EQ(window.windowTitle(), QStringLiteral("Corvell Software - Quorvane V3.06"));
    EXPECT_EQ(f.Find<QAbstractButton>("btnShopAssay")->text(), QStringLiteral("&Analyse"));
    EXPECT_EQ(f.Find<QAbstractButton>("btnShopAssay")->shortcut(),
              QKeySequence(Qt::ALT | Qt::Key_A));
    EXPECT_EQ(f.Find<QAbstractButton>("btnAllData")->text(), QStringLiteral("All data (&1)"));
    auto* list = f.Find<QTableView>("lst");
    EXPECT_EQ(list->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("No."));
    for (const QString& text : Captions(window)) {
        EXPECT_FALSE(HasChinese(text)) << text.toStdString();
    }

    f.ClickTreeNode(0);
    // The stored nick and title stay as they are; the words around them are English.
    EXPECT_EQ(window.StatusText(), QStringLiteral("Shopkeeper: 星光女装"));
    EXPECT_EQ(f.ListColumn(2), (std::vector<QString>{"春季新款连衣裙"}));
    EXPECT_EQ(f.Find<QLabel>("lblTotals")->text(),
              QStringLiteral("1 items  Sales total ¥384.00  Stock 40"));
    f.prompts.yesNoAnswers = {false};
    f.Click("btnDelShop");
    ASSERT_EQ(f.prompts.Texts(RecordingPrompts::Kind::Question).size(), 1u);
    EXPECT_TRUE(f.prompts.Texts(RecordingPrompts::Kind::Question)[0].startsWith(
        QStringLiteral("Are you sure you want to delete 星光女装 (")));

    f.WithAnalyseDialog([&](TFmReadData& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Analyse shop"));
        EXPECT_EQ(dialog.findChild<QPushButton*>("btnStop")->text(), QStringLiteral("Sto&p"));
        for (const QString& text : Captions(dialog)) {
            EXPECT_FALSE(HasChinese(text)) << text.toStdString();
        }
        // The log's lines are the core's, shown in the interface's language.
        EXPECT_EQ(dialog.findChild<QPlainTextEdit*>("mmoLog")->toPlainText(),
                  QStringLiteral("Enter the shopkeeper nick of the competitor to analyse, then "
                                 "start the analysis! The competitor must have items on sale."));
        dialog.findChild<QPushButton*>("btnStart")->click();
        EXPECT_EQ(f.prompts.Texts(RecordingPrompts::Kind::Info),
                  (std::vector<QString>{
                      QStringLiteral("Enter the competitor's shopkeeper nick first!")}));
    });
}

TEST_F(EnglishInterfaceTest, ExportsAndTheirSaveDialogSpeakEnglish) {
    using Kind = RecordingPrompts::Kind;
    MainWindowFixture f;
    marketsim::Item bag = Item("7001", "真皮手提包", "299.00", 2, 5, 80);
    bag.reviews = {Review("Amy", "很喜欢", TodayMidnight().AddDays(-1), "8001"),
                   Review("李雷", "一般", TodayMidnight().AddDays(-2), "8002")};
    f.Sim().AddShop(Shop("皮具工坊", "leather", {bag}));
    f.Analyse("皮具工坊");
    f.OpenWindow();
    f.ClickTreeNode(0);
    const std::filesystem::path folder = f.Folder().Folder();

    f.prompts.saveAnswers = {QString::fromStdString((folder / "items").string())};
    f.Click("btnExport");
    EXPECT_EQ(f.prompts.Texts(Kind::Message),
              (std::vector<QString>{QStringLiteral("Export succeeded.")}));
    EXPECT_TRUE(std::filesystem::exists(folder / "items.xlsx"));

    // A folder that does not exist: the reason, then the failure in the interface's words.
    f.prompts.shown.clear();
    f.prompts.saveAnswers = {QString::fromStdString((folder / "gone" / "items").string())};
    f.Click("btnExport");
    const std::vector<QString> failed = f.prompts.Texts(Kind::Message);
    ASSERT_EQ(failed.size(), 2u);
    EXPECT_EQ(failed[1], QStringLiteral("Export failed."));

    f.prompts.shown.clear();
    f.Click("btnSelectAll");
    f.prompts.saveAnswers = {QString::fromStdString((folder / "nicks").string())};
    f.Click("btnExportBuyer");
    EXPECT_EQ(f.prompts.Texts(Kind::Message),
              (std::vector<QString>{QStringLiteral("Exported 2 users.")}));
    EXPECT_TRUE(std::filesystem::exists(folder / "nicks.txt"));

    ASSERT_EQ(f.prompts.saveRequests.size(), 3u);
    EXPECT_EQ(f.prompts.saveRequests[0].nameFilter, QStringLiteral("Excel workbook (*.xlsx)"));
    EXPECT_EQ(f.prompts.saveRequests[2].nameFilter, QStringLiteral("Text file (*.txt)"));

    // The program's own dialog: its caption, both file types and the type column's words.
    f.prompts.realSaveDialog = true;
    std::ofstream(folder / "notes") << "x";
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || seen) {
            return;
        }
        seen = true;
        poll.stop();
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Save As"));
        EXPECT_EQ(dialog->nameFilters(), (QStringList{QStringLiteral("Excel workbook (*.xlsx)"),
                                                      QStringLiteral("All files (*)")}));
        ASSERT_NE(dialog->iconProvider(), nullptr);
        const QAbstractFileIconProvider& types = *dialog->iconProvider();
        EXPECT_EQ(types.type(QFileInfo(QString::fromStdString(folder.string()))),
                  QStringLiteral("Folder"));
        EXPECT_EQ(types.type(QFileInfo(QString::fromStdString((folder / "notes").string()))),
                  QStringLiteral("File"));
        EXPECT_EQ(types.type(QFileInfo(QString::fromStdString((folder / "vexodb.qdb").string()))),
                  QStringLiteral("QDB file"));
        dialog->reject();
    });
    poll.start();
    f.Click("btnExport");
    EXPECT_TRUE(seen) << "no save dialog was shown";
}

TEST_F(EnglishInterfaceTest, SwitchingBackGivesTheChineseSourceTexts) {
    UseLanguage(Language::Chinese);
    MainWindowFixture f;
    f.OpenWindow();
    EXPECT_EQ(f.Window().windowTitle(), QStringLiteral("Corvell软件-Quorvane V3.06"));
    EXPECT_EQ(f.Find<QAbstractButton>("btnShopAssay")->text(), QStringLiteral("分析店铺"));
    // No room for "(&A)" in the Chinese caption; the key works all the same.
    EXPECT_EQ(f.Find<QAbstractButton>("btnShopAssay")->shortcut(),
              QKeySequence(Qt::ALT | Qt::Key_A));
    EXPECT_EQ(f.Find<QAbstractButton>("btnExit")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_X));
    EXPECT_EQ(f.Find<QLabel>("lblTotals")->text(),
              QStringLiteral("共 0 个宝贝  销售总额 ¥0.00  库存 0"));
}

}  // namespace
}  // namespace tarnwick::test
