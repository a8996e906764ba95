// English throughout: every text of ours has an English form, and so has every text the core
// writes in Chinese where the windows show it (the log, the health reasons, the comparison);
// the Chinese interface keeps those texts byte for byte.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QXmlStreamReader>

#include "TestShops.h"
#include "acquire/RunOutcome.h"
#include "analysis/RunRecord.h"
#include "app/Language.h"
#include "app/MessageBoxPrompts.h"
#include "app/TFmCompare.h"
#include "app/TFmReadData.h"
#include "app/ViewState.h"
#include "views/ItemListModel.h"
#include "views/SystemText.h"

namespace tarnwick::test {
namespace {

bool HasChinese(const QString& text) {
    for (QChar c : text) {
        if (c.unicode() >= 0x3000) {
            return true;
        }
    }
    return false;
}

class EnglishThroughoutTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(UseLanguage(Language::English)); }
    void TearDown() override { UseLanguage(Language::Chinese); }
};

struct Message {
    QString context;
    QString source;
    QString comment;
    bool numerus = false;
};

// Every text of the desktop program's sources marked for translation, as the translation
// tools find them today: not the list in the shipped translation, which may be behind.
std::vector<Message> SourceTexts() {
    QTemporaryDir folder;
    const QString ts = folder.filePath(QStringLiteral("now.ts"));
    const QString sources = QStringLiteral(TARNWICK_SOURCE_DIR "/src");
    QProcess lupdate;
    lupdate.start(
        QStringLiteral(TARNWICK_LUPDATE),
        {QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none"),
         QStringLiteral("-no-obsolete"), QStringLiteral("-I"), sources,
         QStringLiteral("-source-language"), QStringLiteral("zh_CN"),
         QStringLiteral("-target-language"), QStringLiteral("en"), sources + QStringLiteral("/app"),
         sources + QStringLiteral("/views"), QStringLiteral("-ts"), ts});
    EXPECT_TRUE(lupdate.waitForFinished(120000));
    EXPECT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
    QFile file(ts);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<Message> messages;
    QXmlStreamReader xml(&file);
    QString context;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            Message message{
                context,
                {},
                {},
                xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes")};
            while (!(xml.isEndElement() && xml.name() == QLatin1String("message"))) {
                xml.readNext();
                if (xml.isStartElement() && xml.name() == QLatin1String("source")) {
                    message.source = xml.readElementText();
                } else if (xml.isStartElement() && xml.name() == QLatin1String("comment")) {
                    message.comment = xml.readElementText();
                }
            }
            messages.push_back(message);
        }
    }
    return messages;
}

TEST_F(EnglishThroughoutTest, EveryTranslatableTextHasAnEnglishForm) {
    const std::vector<Message> messages = SourceTexts();
    ASSERT_GT(messages.size(), 150u);
    std::vector<std::string> missing;
    for (const Message& m : messages) {
        const QByteArray context = m.context.toUtf8();
        const QByteArray source = m.source.toUtf8();
        const QByteArray comment = m.comment.toUtf8();
        const QString english = QCoreApplication::translate(
            context.constData(), source.constData(),
            m.comment.isEmpty() ? nullptr : comment.constData(), m.numerus ? 2 : -1);
        if (english.isEmpty() || HasChinese(english)) {
            missing.push_back(m.context.toStdString() + " | " + m.source.toStdString());
        }
    }
    EXPECT_TRUE(missing.empty()) << "without English: " << testing::PrintToString(missing);
}

TEST_F(EnglishThroughoutTest, TheCoresTextsHaveEnglishFormsAndStayChineseInChinese) {
    for (const char* form : SystemTextForms()) {
        const QString english = QCoreApplication::translate("SystemText", form);
        EXPECT_FALSE(HasChinese(english)) << form;
    }
    struct Case {
        const char* core;
        const char* english;
    };
    const Case cases[] = {
        {"开始读  Nick 42  的数据...", "Reading the data of  Nick 42 ..."},
        {"宝贝 5001 已下载40个买家.在第2页仍在继续中...",
         "Item 5001: 40 buyers read, still reading at page 2..."},
        {"运行状况: 被拦截 - 从第 4 个请求 (10:00:01) 起被拦截: 登录页 0, 验证页 0, 页面改版 20",
         "Run health: blocked - Blocked from request 4 (10:00:01) on: login pages 0, "
         "verification pages 0, changed pages 20"},
        {"宝贝列表页: 2/3 失败 (HTTP 错误 1, 页面改版 1)\n宝贝页: 1/9 失败 (超时 1)",
         "listing pages: 2/3 failed (HTTP error 1, changed page 1)\nitem pages: 1/9 failed "
         "(timeout 1)"},
        {"宝贝 7 保存失败: 无法写入文件 \"/x\": No space",
         "Item 7 could not be saved: Cannot "
         "write the file \"/x\": No space"},
        // Not a form of the core: a page's or a library's own text stays as it is.
        {"database is locked", "database is locked"},
        {"宝贝 %2 保存失败: %1", "Item %2 could not be saved: %1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SystemText(QString::fromUtf8(c.core)), QString::fromUtf8(c.english)) << c.core;
    }
    UseLanguage(Language::Chinese);
    for (const Case& c : cases) {
        EXPECT_EQ(SystemText(QString::fromUtf8(c.core)), QString::fromUtf8(c.core));
    }
}

// Built by the core's own functions, so that a reworded core text cannot slip past the forms.
TEST_F(EnglishThroughoutTest, WhatARunThatDidNotReadTheShopSaysIsEnglishForEveryOutcome) {
    using enum RunOutcome;
    for (RunOutcome outcome : {Complete, ShopNotFound, MarketUnreachable, Stopped, StoreFailed,
                               Blocked, ChangedPages, RateLimited, Truncated, Running}) {
        for (int listComplete : {0, 1}) {
            RunOutcomeRow row;
            row.sid = "20260301100000000";
            row.outcome = OutcomeKey(outcome);
            row.listPages = 5;
            row.listPagesRead = listComplete ? 5 : 2;
            row.listComplete = listComplete;
            row.itemsQueued = 30;
            row.itemsRead = 12;
            row.itemsNotRead = 18;
            const std::string texts[] = {OutcomeNotice(row), std::string(OutcomeLogLine(outcome)),
                                         RunRecord(row, {}).PartialText()};
            for (const std::string& text : texts) {
                const QString shown = SystemText(QString::fromStdString(text));
                EXPECT_FALSE(HasChinese(shown)) << OutcomeKey(outcome) << ": " << text;
            }
        }
    }
}

TEST_F(EnglishThroughoutTest, TheRunLogItsSummaryAndTheHealthReasonsAreEnglish) {
    MainWindowFixture f;
    marketsim::Item bag = Item("7001", "bag", "299.00", 2, 5, 80);
    bag.deals = {Deal("amy", "299.00", 1, TodayMidnight())};
    bag.reviews = {Review("amy", "fine", TodayMidnight(), "8001")};
    f.Sim().AddShop(Shop("leather", "leather", {bag, Item("7002", "belt", "9.00", 0, 1, 1)}));
    marketsim::Shop blocked = Shop("shut", "shut", {});
    for (int i = 0; i < 25; ++i) {
        blocked.items.push_back(Item(std::to_string(6000 + i), "x", "1.00", 0, 1, 1));
    }
    blocked.blockMode = marketsim::Shop::BlockMode::ItemNewDesign;
    f.Sim().AddShop(blocked);
    f.OpenWindow();
    QStringList log;
    for (const char* nick : {"leather", "shut", "nobody"}) {
        f.WithAnalyseDialog([&](TFmReadData& dialog) {
            auto* text = dialog.findChild<QPlainTextEdit*>("mmoLog");
            EXPECT_EQ(text->toPlainText().split('\n').front(),
                      QStringLiteral("Enter the shopkeeper nick of the competitor to analyse, "
                                     "then start the analysis! The competitor must have items "
                                     "on sale."));
            dialog.findChild<QLineEdit*>("edtInput")->setText(QString::fromLatin1(nick));
            dialog.findChild<QPushButton*>("btnStart")->click();
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return text->toPlainText().contains(QStringLiteral("This run: ")); }, 60000));
            log += text->toPlainText().split('\n');
        });
    }
    for (const QString& line : log) {
        EXPECT_FALSE(HasChinese(line)) << line.toStdString();
    }
    // Ours, last, after the run's own lines.
    const QString summary = log.filter(QStringLiteral("This run: ")).front();
    EXPECT_TRUE(summary.contains(QStringLiteral("This run: 2 items, 1 deal records, 1 reviews, ")))
        << summary.toStdString();
    EXPECT_TRUE(log.filter(QStringLiteral("No shop was found")).size() == 1);

    auto* tree = f.Find<QTreeWidget>("tv");
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    const QString reasons = ShownTip(tree->topLevelItem(0)->toolTip(0));
    EXPECT_TRUE(reasons.contains(QStringLiteral("Run health: blocked"))) << reasons.toStdString();
    EXPECT_TRUE(reasons.contains(QStringLiteral("item pages: "))) << reasons.toStdString();
    EXPECT_FALSE(HasChinese(reasons)) << reasons.toStdString();
}

TEST_F(EnglishThroughoutTest, TheComparisonsColumnsAndStatesAreEnglish) {
    MainWindowFixture f;
    f.Sim().AddShop(Shop("shop", "shop", {Item("1", "a", "9.00", 1, 2, 3)}));
    f.Analyse("shop");
    f.Sim().AddShop(
        Shop("shop", "shop", {Item("1", "a", "8.00", 1, 2, 3), Item("2", "b", "1", 0, 1, 1)}));
    f.Analyse("shop");
    f.OpenWindow();
    f.ClickTreeNode(0);
    f.Click("btnCompare");
    TFmCompare* compare = f.Window().CompareWindow();
    ASSERT_NE(compare, nullptr);
    QAbstractItemModel* model = compare->Table().model();
    for (int column = 0; column < model->columnCount(); ++column) {
        EXPECT_FALSE(HasChinese(model->headerData(column, Qt::Horizontal).toString())) << column;
        for (int row = 0; row < model->rowCount(); ++row) {
            EXPECT_FALSE(HasChinese(model->index(row, column).data().toString()))
                << row << "," << column;
        }
    }
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Status"));
    EXPECT_EQ(model->index(0, 0).data().toString(), QStringLiteral("Changed"));
    // Captions and states whole, in their columns and in the totals line.
    compare->resize(1000, 640);
    QApplication::processEvents();
    QTableView& table = compare->Table();
    for (int column = 0; column < model->columnCount(); ++column) {
        const QString caption = model->headerData(column, Qt::Horizontal).toString();
        EXPECT_GE(table.columnWidth(column),
                  table.horizontalHeader()->fontMetrics().horizontalAdvance(caption))
            << caption.toStdString();
    }
    for (int row = 0; row < model->rowCount(); ++row) {
        const QString state = model->index(row, 0).data().toString();
        EXPECT_GT(table.columnWidth(0), table.fontMetrics().horizontalAdvance(state))
            << state.toStdString();
    }
    auto* totals = compare->findChild<QLabel*>("lblTotals");
    const QRect needed = totals->fontMetrics().boundingRect(QRect(0, 0, totals->width(), 1000),
                                                            Qt::TextWordWrap, totals->text());
    EXPECT_LE(needed.height(), totals->height()) << totals->text().toStdString();
    compare->close();
}

TEST_F(EnglishThroughoutTest, AMessageBoxHasRoomForItsWholeCaption) {
    MessageBoxPrompts prompts(QStringLiteral("Quorvane"));
    int width = 0;
    int caption = 0;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            width = box->width();
            caption = box->fontMetrics().horizontalAdvance(box->windowTitle());
            box->done(QMessageBox::Ok);
        }
    });
    poll.start();
    prompts.ShowMessage(nullptr, QStringLiteral("OK."));
    EXPECT_GE(width, caption + 120);
}

TEST_F(EnglishThroughoutTest, ColumnWidthsAreRememberedPerLanguage) {
    MainWindowFixture f;
    const QTemporaryDir folder;
    f.viewStateFile = folder.filePath(QStringLiteral("view.ini")).toStdString();
    const QString state = QString::fromStdString(f.viewStateFile);
    UseLanguage(Language::Chinese);
    f.OpenWindow();
    auto grid = [&] { return f.Find<QTableView>("lst"); };
    const int chineseStart = grid()->columnWidth(ItemListModel::cxSellCount);
    grid()->horizontalHeader()->resizeSection(ItemListModel::cxSellCount, 31);
    ViewState(state).Save(f.Window());
    f.CloseWindow();

    // English starts from its own fitted widths, not from the Chinese ones...
    ASSERT_TRUE(UseLanguage(Language::English));
    f.OpenWindow();
    const int englishStart = grid()->columnWidth(ItemListModel::cxSellCount);
    EXPECT_GT(englishStart, 31);
    EXPECT_GE(englishStart, grid()->fontMetrics().horizontalAdvance(QStringLiteral("30d sold")));
    grid()->horizontalHeader()->resizeSection(ItemListModel::cxSellCount, 97);
    ViewState(state).Save(f.Window());
    f.CloseWindow();

    // ... and each language gets back its own.
    UseLanguage(Language::Chinese);
    f.OpenWindow();
    EXPECT_EQ(grid()->columnWidth(ItemListModel::cxSellCount), 31);
    f.CloseWindow();
    ASSERT_TRUE(UseLanguage(Language::English));
    f.OpenWindow();
    EXPECT_EQ(grid()->columnWidth(ItemListModel::cxSellCount), 97);
    EXPECT_NE(chineseStart, 0);
}

}  // namespace
}  // namespace tarnwick::test
