#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeWidget>

#include "acquire/AcquisitionController.h"
#include "acquire/EventLoop.h"
#include "app/TFmReadData.h"
#include "base/Clock.h"
#include "store/Store.h"
#include "support/AcquisitionHarness.h"
#include "views/ItemListView.h"

namespace tarnwick::test {

void RecordingPrompts::ShowInfoBox(QWidget*, const QString& text) {
    shown.push_back({Kind::Info, text});
}

void RecordingPrompts::ShowMessage(QWidget*, const QString& text) {
    shown.push_back({Kind::Message, text});
}

void RecordingPrompts::ShowError(QWidget*, const QString& text) {
    shown.push_back({Kind::Error, text});
}

bool RecordingPrompts::AskYesNo(QWidget*, const QString& text) {
    shown.push_back({Kind::Question, text});
    if (yesNoAnswers.empty()) {
        return false;
    }
    bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

std::optional<QString> RecordingPrompts::AskSaveFileName(QWidget* owner,
                                                         const SaveRequest& request) {
    shown.push_back({Kind::SaveFile, request.defaultSuffix});
    saveRequests.push_back(request);
    if (realSaveDialog) {
        return RunSaveFileDialog(owner, request);
    }
    if (saveAnswers.empty()) {
        return std::nullopt;
    }
    QString answer = saveAnswers.front();
    saveAnswers.pop_front();
    if (answer.isNull()) {
        return std::nullopt;
    }
    return answer;
}

std::vector<QString> RecordingPrompts::Texts(Kind kind) const {
    std::vector<QString> texts;
    for (const Shown& one : shown) {
        if (one.kind == kind) {
            texts.push_back(one.text);
        }
    }
    return texts;
}

QString ShownTip(const QString& tip) {
    if (!Qt::mightBeRichText(tip)) {
        return tip;
    }
    QTextDocument document;
    document.setHtml(tip);
    return document.toPlainText();
}

std::string PageTime(DateTime time) {
    DateTime::Parts p = time.Split();
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day,
                  p.hour, p.minute, p.second);
    return text;
}

DateTime TodayMidnight() {
    return DateTime::Now().StartOfDay();
}

MainWindowFixture::MainWindowFixture(const std::string& databaseFile) : m_database(databaseFile) {
}

MainWindowFixture::~MainWindowFixture() {
    CloseWindow();
}

std::string MainWindowFixture::Location() const {
    return databaseLocation.empty() ? m_database.Path() : databaseLocation;
}

Store MainWindowFixture::OpenStore() const {
    return Store::Open(StoreSource::Parse(Location()));
}

std::string MainWindowFixture::Analyse(const std::string& nick) {
    EventLoop loop;
    RecordingObserver observer;
    AcquisitionController controller(loop, observer, StoreSource::Parse(Location()),
                                     m_market.GetEndpoints(), SystemClock::Instance());
    controller.Reset();
    EXPECT_EQ(controller.Start(nick, 1), AcquisitionController::StartResult::Started);
    auto run = controller.CurrentRun();
    EXPECT_TRUE(loop.RunUntil([&] { return run->Completed() && !run->ReaderRunning(); },
                              std::chrono::seconds(60)));
    return run->RunId();
}

TFmMain& MainWindowFixture::OpenWindow() {
    TFmMain::Settings settings;
    settings.store = ChooseStore(databaseLocation, m_database.FolderWithSeparator());
    settings.endpoints = m_market.GetEndpoints();
    settings.viewStateFile = viewStateFile;
    m_window = std::make_unique<TFmMain>(settings, prompts, urls, SystemClock::Instance());
    m_window->show();
    return *m_window;
}

void MainWindowFixture::CloseWindow() {
    m_window.reset();
}

void MainWindowFixture::Click(const char* buttonName) {
    auto* button = Find<QAbstractButton>(buttonName);
    ASSERT_NE(button, nullptr) << buttonName;
    QTest::mouseClick(button, Qt::LeftButton);
}

void MainWindowFixture::ClickTreeNode(int index) {
    auto* tree = Find<QTreeWidget>("tv");
    QTreeWidgetItem* node = tree->topLevelItem(index);
    ASSERT_NE(node, nullptr) << "no node " << index;
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
}

void MainWindowFixture::ClickTreeEmptySpace() {
    auto* tree = Find<QTreeWidget>("tv");
    QPoint below(10, tree->viewport()->height() - 5);
    ASSERT_EQ(tree->itemAt(below), nullptr);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, below);
}

std::vector<QString> MainWindowFixture::TreeCaptions() const {
    auto* tree = Find<QTreeWidget>("tv");
    std::vector<QString> captions;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        captions.push_back(tree->topLevelItem(i)->text(0));
    }
    return captions;
}

std::vector<QString> MainWindowFixture::ListColumn(int column) const {
    auto* list = Find<ItemListView>("lst");
    std::vector<QString> texts;
    const QAbstractItemModel* model = list->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        texts.push_back(model->index(row, column).data().toString());
    }
    return texts;
}

void MainWindowFixture::WithAnalyseDialog(const std::function<void(TFmReadData&)>& inside) {
    bool ran = false;
    QMetaObject::invokeMethod(
        m_window.get(),
        [&] {
            ran = true;
            TFmReadData* dialog = m_window->ReadDataDialog();
            if (!dialog) {
                ADD_FAILURE() << "the dialog does not exist while it is shown";
                return;
            }
            EXPECT_TRUE(dialog->isVisible());
            inside(*dialog);
            dialog->findChild<QPushButton*>("btnClose")->click();
        },
        Qt::QueuedConnection);
    Find<QToolButton>("btnShopAssay")->click();
    EXPECT_TRUE(ran);
}

}  // namespace tarnwick::test
