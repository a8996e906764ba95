#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QString>
#include <QWidget>

#include "Market.h"
#include "QtPrinters.h"
#include "app/TFmMain.h"
#include "app/UrlOpener.h"
#include "app/UserPrompts.h"
#include "base/DateTime.h"
#include "support/MarketFixture.h"
#include "support/TempDatabase.h"

namespace tarnwick::test {

// Records every prompt and answers from queues the test fills (No and Cancel when empty).
class RecordingPrompts : public UserPrompts {
public:
    enum class Kind { Info, Message, Error, Question, SaveFile };
    struct Shown {
        Kind kind;
        QString text;
    };

    void ShowInfoBox(QWidget* owner, const QString& text) override;
    void ShowMessage(QWidget* owner, const QString& text) override;
    void ShowError(QWidget* owner, const QString& text) override;
    bool AskYesNo(QWidget* owner, const QString& text) override;
    // Recorded with the suffix as its text; the whole request goes to `saveRequests`.
    std::optional<QString> AskSaveFileName(QWidget* owner, const SaveRequest& request) override;

    std::vector<QString> Texts(Kind kind) const;

    std::vector<Shown> shown;
    std::deque<bool> yesNoAnswers;
    std::deque<QString> saveAnswers;  // a null text cancels
    std::vector<SaveRequest> saveRequests;
    bool realSaveDialog = false;  // show the program's own save dialog instead
};

class RecordingUrlOpener : public UrlOpener {
public:
    bool Open(const std::string& url) override {
        opened.push_back(url);
        return browserStarts;
    }
    std::vector<std::string> opened;
    bool browserStarts = true;
};

// A tooltip's text as the user reads it: rendered as rich text where Qt would render it so.
QString ShownTip(const QString& tip);

// "yyyy-mm-dd hh:mm:ss" as the marketplace's pages write a time.
std::string PageTime(DateTime time);
DateTime TodayMidnight();

// A temporary program folder with a database and a marketsim, a main window over them with
// recorded prompts, and the helpers the window tests share.
class MainWindowFixture {
public:
    explicit MainWindowFixture(const std::string& databaseFile = "vexodb.qdb");
    ~MainWindowFixture();

    marketsim::MarketSim& Sim() { return m_market.Sim(); }
    TempDatabase& Folder() { return m_database; }
    Store OpenStore() const;

    // Analyses a shop the marketsim serves into the database through the acquisition core (no
    // dialog), with one download thread so that items are stored in the shop's order; returns
    // the run's key.
    std::string Analyse(const std::string& nick);

    TFmMain& OpenWindow();
    TFmMain& Window() { return *m_window; }
    void CloseWindow();

    template <typename Widget>
    Widget* Find(const char* name) const {
        return m_window->findChild<Widget*>(QString::fromLatin1(name));
    }
    void Click(const char* buttonName);
    void ClickTreeNode(int index);
    void ClickTreeEmptySpace();
    std::vector<QString> TreeCaptions() const;
    // The texts the item list shows in one column, top to bottom.
    std::vector<QString> ListColumn(int column) const;

    // Presses "分析店铺" and runs `inside` while the modal dialog is open; the dialog is then
    // closed with its "关闭" button, whatever `inside` did.
    void WithAnalyseDialog(const std::function<void(class TFmReadData&)>& inside);

    RecordingPrompts prompts;
    RecordingUrlOpener urls;
    std::string viewStateFile;  // empty: the window remembers nothing
    // What the window gets as --db, and where Analyse and OpenStore go; empty for the file in
    // the program folder.
    std::string databaseLocation;

private:
    std::string Location() const;

    TempDatabase m_database;
    MarketFixture m_market;
    std::unique_ptr<TFmMain> m_window;
};

}  // namespace tarnwick::test
