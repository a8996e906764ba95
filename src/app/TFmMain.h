#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QPointer>

#include "fetch/Endpoints.h"
#include "store/DatabaseFile.h"
#include "store/Rows.h"
#include "store/Store.h"
#include "store/StoreChoice.h"
#include "store/StoreSource.h"
#include "store/TimeWindow.h"
#include "views/TShop.h"

class QAbstractButton;
class QButtonGroup;
class QTimer;
class QAbstractItemModel;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QSplitter;
class QSystemTrayIcon;
class QToolButton;
class QPushButton;

namespace tarnwick {

class Clock;
class DetailLists;
class ItemListView;
class ShopTree;
class TCheckUpdate;
class TFmCompare;
class TFmFullText;
class TFmReadData;
class TFmWatch;
class WatchService;
class UrlOpener;
class UserPrompts;

// The main window: the toolbar, the shop tree, the item list with its detail lists, the
// exports, the outside links and the version check. It owns the window's database connection
// for the whole run.
class TFmMain : public QMainWindow {
    Q_OBJECT

public:
    struct Settings {
        // The store chosen at start, and the edition its file name gives.
        StoreChoice store;
        Endpoints endpoints = Endpoints::Defaults();
        // Where the window's arrangement is remembered between starts; empty: nowhere.
        std::string viewStateFile;
        // How often the watched shops are looked at while the window is open; zero: only when
        // the user says "立即分析".
        std::chrono::milliseconds watchPeriod{0};
    };
    enum class SoftInfoKind { Help = 0, Upgrade = 1 };

    TFmMain(Settings settings, UserPrompts& prompts, UrlOpener& urls, const Clock& clock,
            QWidget* parent = nullptr);
    ~TFmMain() override;

    Edition GetEdition() const { return m_settings.store.edition; }
    QString StatusText() const;
    // The chosen run's verdict beside the shopkeeper, when the run is degraded or blocked.
    QString HealthStatusText() const;
    // What the status bar says of the analysis under way; empty when none is.
    QString RunStatusText() const;
    const std::optional<TShop>& CurrentShop() const { return m_currentShop; }
    TimeWindow CurrentTimeWindow() const { return m_timeWindow; }
    // Null until "分析店铺" is first pressed.
    TFmReadData* ReadDataDialog() const { return m_readData.get(); }
    QSystemTrayIcon* TrayIcon() const { return tic; }
    // The comparison window opened last, while it is open.
    TFmCompare* CompareWindow() const;
    // The watch window; null until it is first opened.
    TFmWatch* WatchWindow() const { return m_watchWindow; }
    WatchService* Watches() const { return m_watches.get(); }
    // Opens the watch window (the toolbar's "监控").
    TFmWatch* ShowWatchWindow();
    // The view of a row's whole texts; null until a row is first opened.
    TFmFullText* FullTextWindow() const { return m_fullText; }

    // The help or the upgrade page of this edition, in the default browser.
    void ShowSoftInfo(SoftInfoKind kind);
    // Minimising leaves only the tray icon where the desktop has a tray.
    void MinimizeApplication();
    void RestoreApplication();

signals:
    // The version check's result has been dealt with (tests wait for it).
    void versionResultHandled(int number);
    // A watched run's notice, as the tray shows it (tests listen here: an offscreen desktop
    // has no tray).
    void watchNoticeShown(const QString& title, const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildFrame();
    QWidget* BuildToolbar();
    QWidget* BuildLeftPanel();
    QWidget* BuildRightPanel();
    QWidget* BuildItemPanel();
    QWidget* BuildListPart();
    void ShowTotals();
    void SetTabOrder();
    void OnClick(QAbstractButton* button, void (TFmMain::*handler)());

    void FormCreate();
    void FormShow();
    void StartVersionCheck();
    void OnVersionResult(std::int32_t number);

    void btnShopAssayClick();
    void btnHelpClick();
    void btnUpdateClick();
    void btnExitClick();
    void btnOpenShopClick();
    void btnExportClick();
    void btnExportBuyerClick();
    QString ProposedExportName() const;
    void btnCompareClick();
    void btnWatchClick();
    void AddChosenShopToWatch();
    void StartWatching();
    void OnWatchEnded(const QString& nick, const QString& title, const QString& text, int alerts,
                      bool failed);
    void OpenAlertComparison(const QString& olderSid, const QString& newerSid,
                             const QString& itemId);
    void CompareWithPrevious(const std::optional<TShop>& shop);

    void LoadShopTree();
    void tvClick();
    void RefreshShopViews();
    void DeleteSelectedShop();
    void LoadItemList(TimeWindow window);
    void LoadItemListIfShopChosen(TimeWindow window);
    void lstChange();
    void ShowItemDetails();
    void ShowFullText(const QString& caption, const QAbstractItemModel& model, int row);

    Store& Db();
    void SetStatusText(const QString& text);
    std::string SoftInfoPage(SoftInfoKind kind) const;
    // `lead` says what the address is for when no browser takes it.
    void OpenOutside(const std::string& url, const QString& lead = QString());
    QStringList RecentNicks() const;
    // The run of the analyse dialog in the status bar and on the toolbar.
    void ShowRun(bool running);
    void ShowTimeWindow();

    Settings m_settings;
    UserPrompts& m_prompts;
    UrlOpener& m_urls;
    const Clock& m_clock;
    // Where the store was opened from, or was to be: what the analyse dialog and the watches
    // open their own connections to.
    StoreSource m_source;
    // Why the store did not open; empty while it is open.
    std::string m_storeFailure;
    std::optional<Store> m_store;
    std::vector<ShopRow> m_shopRows;  // the shop list as last loaded
    std::optional<TShop> m_currentShop;
    TimeWindow m_timeWindow = TimeWindow::AllData;
    bool m_shown = false;

    // Widgets, owned by their Qt parents.
    QWidget* pnlTop = nullptr;
    QToolButton* btnShopAssay = nullptr;
    QToolButton* btnHelp = nullptr;
    QToolButton* btnUpdate = nullptr;
    QToolButton* btnExit = nullptr;
    QToolButton* btnWatch = nullptr;
    QSplitter* m_mainSplitter = nullptr;
    ShopTree* tv = nullptr;
    QMenu* pmTV = nullptr;
    QAction* pmDelShop = nullptr;
    QAction* pmCompare = nullptr;
    QAction* pmWatch = nullptr;
    QPushButton* btnOpenShop = nullptr;
    QPushButton* btnDelShop = nullptr;
    ItemListView* lst = nullptr;
    QLineEdit* edtFilter = nullptr;
    QLabel* lblTotals = nullptr;
    DetailLists* rpnlDetail = nullptr;
    QLabel* m_statusPanel = nullptr;
    QLabel* m_healthPanel = nullptr;
    QLabel* m_runPanel = nullptr;
    QButtonGroup* m_windowButtons = nullptr;
    QTimer* m_runTimer = nullptr;
    QSystemTrayIcon* tic = nullptr;

    std::unique_ptr<TFmReadData> m_readData;
    std::unique_ptr<TCheckUpdate> m_versionCheck;
    QPointer<TFmCompare> m_compare;
    TFmFullText* m_fullText = nullptr;  // owned as a child window
    std::unique_ptr<WatchService> m_watches;
    TFmWatch* m_watchWindow = nullptr;  // owned as a child window
};

}  // namespace tarnwick
