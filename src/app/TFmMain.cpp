#include "app/TFmMain.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

#include <QApplication>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "analysis/RunRecord.h"
#include "app/AppIcons.h"
#include "app/ButtonKeys.h"
#include "app/ExportFlow.h"
#include "app/GuardedCall.h"
#include "app/SaveFileDialog.h"
#include "app/TFmCompare.h"
#include "app/TFmFullText.h"
#include "app/TFmReadData.h"
#include "app/TFmWatch.h"
#include "app/UrlOpener.h"
#include "app/UserPrompts.h"
#include "app/ViewState.h"
#include "app/WatchService.h"
#include "base/Clock.h"
#include "base/Text.h"
#include "base/Version.h"
#include "export/ItemSheet.h"
#include "export/NickExport.h"
#include "export/TCheckUpdate.h"
#include "export/XlsxExport.h"
#include "views/CellText.h"
#include "views/DetailLists.h"
#include "views/ItemListView.h"
#include "views/PlainText.h"
#include "views/ShopTree.h"
#include "views/SystemText.h"
#include "views/WrappingButton.h"

namespace tarnwick {

namespace {

constexpr int kWindowWidth = 1024;
constexpr int kWindowHeight = 594;
constexpr int kToolbarHeight = 69;
constexpr int kToolButtonWidth = 70;
constexpr int kToolButtonHeight = 60;
constexpr int kStatusBarHeight = 27;
constexpr int kLeftWidth = 147;
constexpr int kRightWidth = 117;
constexpr int kDetailHeight = 134;
constexpr int kSizeBarWidth = 7;
constexpr int kLeftBottomHeight = 41;
constexpr int kButtonHeight = 25;
constexpr int kRecentNicks = 20;
constexpr std::chrono::milliseconds kRunProgressInterval{500};

QString Caption(Edition edition) {
    const QString version = QString::fromLatin1(kVersionText);
    return edition == Edition::Partner ? TFmMain::tr("Halden软件-Quorvane V%1").arg(version)
                                       : TFmMain::tr("Corvell软件-Quorvane V%1").arg(version);
}

}  // namespace

TFmMain::TFmMain(Settings settings, UserPrompts& prompts, UrlOpener& urls, const Clock& clock,
                 QWidget* parent)
    : QMainWindow(parent),
      m_settings(std::move(settings)),
      m_prompts(prompts),
      m_urls(urls),
      m_clock(clock) {
    setObjectName("TFmMain");
    setWindowIcon(ApplicationIcon());
    BuildFrame();
    resize(kWindowWidth, kWindowHeight);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    ViewState(QString::fromStdString(m_settings.viewStateFile)).Restore(*this);
    RunGuarded(m_prompts, this, [this] { FormCreate(); });
}

TFmMain::~TFmMain() {
    // Both wait for their threads; the window they report to must still be whole meanwhile.
    m_versionCheck.reset();
    m_readData.reset();
    m_watches.reset();
}

// ---- the frame ----

void TFmMain::BuildFrame() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(BuildToolbar());

    m_mainSplitter = new QSplitter(Qt::Horizontal);
    m_mainSplitter->setObjectName("splMain");
    m_mainSplitter->setHandleWidth(kSizeBarWidth);
    m_mainSplitter->setChildrenCollapsible(false);
    m_mainSplitter->addWidget(BuildLeftPanel());
    m_mainSplitter->addWidget(BuildItemPanel());
    m_mainSplitter->addWidget(BuildRightPanel());
    // The centre takes every change of the window's width; the two columns keep theirs.
    m_mainSplitter->setStretchFactor(0, 0);
    m_mainSplitter->setStretchFactor(1, 1);
    m_mainSplitter->setStretchFactor(2, 0);
    m_mainSplitter->setSizes(
        {kLeftWidth, kWindowWidth - kLeftWidth - kRightWidth - 2 * kSizeBarWidth, kRightWidth});
    layout->addWidget(m_mainSplitter, 1);
    setCentralWidget(central);
    SetTabOrder();

    QStatusBar* stat = statusBar();
    stat->setObjectName("stat");
    stat->setFixedHeight(kStatusBarHeight);
    m_statusPanel = new QLabel;
    m_statusPanel->setObjectName("m_statusPanel");
    MakePlainLabel(*m_statusPanel);
    stat->addWidget(m_statusPanel, 1);
    m_healthPanel = new QLabel;
    m_healthPanel->setObjectName("m_healthPanel");
    m_healthPanel->setTextFormat(Qt::PlainText);
    stat->addWidget(m_healthPanel);
    m_runPanel = new QLabel;
    m_runPanel->setObjectName("m_runPanel");
    m_runPanel->setTextFormat(Qt::PlainText);
    stat->addPermanentWidget(m_runPanel);

    tic = new QSystemTrayIcon(ApplicationIcon(), this);
    tic->setObjectName("tic");
    connect(tic, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
        if (why == QSystemTrayIcon::DoubleClick) {
            RunGuarded(m_prompts, this, [this] { RestoreApplication(); });
        }
    });
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        tic->show();
    }
}

QWidget* TFmMain::BuildToolbar() {
    pnlTop = new QWidget;
    pnlTop->setObjectName("pnlTop");
    pnlTop->setFixedHeight(kToolbarHeight);
    auto* layout = new QHBoxLayout(pnlTop);
    const int spare = kToolbarHeight - kToolButtonHeight;
    layout->setContentsMargins(0, spare / 2, 0, spare - spare / 2);
    layout->setSpacing(2);
    auto tool = [&](const char* name, const QString& caption, const QIcon& icon, Qt::Key key) {
        auto* button = new QToolButton;
        button->setObjectName(name);
        button->setText(caption);
        Keyed(button, key);
        button->setIcon(icon);
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setFixedSize(kToolButtonWidth, kToolButtonHeight);
        layout->addWidget(button);
        return button;
    };
    btnShopAssay = tool("btnShopAssay", tr("分析店铺"), AnalyseIcon(), Qt::Key_A);
    btnHelp = tool("btnHelp", tr("使用说明"), HelpIcon(), Qt::Key_H);
    btnUpdate = tool("btnUpdate", tr("软件升级"), UpgradeIcon(), Qt::Key_U);
    btnExit = tool("btnExit", tr("退出"), ExitIcon(), Qt::Key_X);
    // Ours, after the four the form has always had, so that theirs keep their places.
    btnWatch = tool("btnWatch", tr("监控"), WatchIcon(), Qt::Key_W);
    layout->addStretch(1);

    OnClick(btnShopAssay, &TFmMain::btnShopAssayClick);
    OnClick(btnHelp, &TFmMain::btnHelpClick);
    OnClick(btnUpdate, &TFmMain::btnUpdateClick);
    OnClick(btnExit, &TFmMain::btnExitClick);
    OnClick(btnWatch, &TFmMain::btnWatchClick);
    return pnlTop;
}

QWidget* TFmMain::BuildLeftPanel() {
    auto* rspLeft = new QWidget;
    rspLeft->setObjectName("rspLeft");
    auto* layout = new QVBoxLayout(rspLeft);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    tv = new ShopTree;
    tv->setObjectName("tv");
    tv->SetNodeIcon(ShopIcon());
    tv->SetHealthIcons(DegradedShopIcon(), BlockedShopIcon());
    tv->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(tv, 1);

    pmTV = new QMenu(tv);
    pmTV->setObjectName("pmTV");
    pmDelShop = pmTV->addAction(tr("删除"));
    pmDelShop->setObjectName("pmDelShop");
    connect(tv, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        // The menu acts on the run shown: a right click on another node shows that one first.
        RunGuarded(m_prompts, this, [this] {
            const std::optional<TShop> selected = tv->SelectedShop();
            if (selected && (!m_currentShop || selected->Sid != m_currentShop->Sid)) {
                tvClick();
            }
        });
        pmTV->popup(tv->viewport()->mapToGlobal(at));
    });
    connect(pmDelShop, &QAction::triggered, this,
            [this] { RunGuarded(m_prompts, this, [this] { DeleteSelectedShop(); }); });
    pmCompare = pmTV->addAction(tr("与上次对比"));
    pmCompare->setObjectName("pmCompare");
    connect(pmCompare, &QAction::triggered, this, [this] {
        RunGuarded(m_prompts, this, [this] { CompareWithPrevious(m_currentShop); });
    });
    pmWatch = pmTV->addAction(tr("加入监控"));
    pmWatch->setObjectName("pmWatch");
    connect(pmWatch, &QAction::triggered, this,
            [this] { RunGuarded(m_prompts, this, [this] { AddChosenShopToWatch(); }); });
    // The mouse and the keyboard alike: the tree's selected run is the run the views show.
    connect(tv, &ShopTree::Clicked, this,
            [this] { RunGuarded(m_prompts, this, [this] { tvClick(); }); });
    connect(tv, &ShopTree::ChosenByKeyboard, this,
            [this] { RunGuarded(m_prompts, this, [this] { tvClick(); }); });
    // The Delete key in the tree deletes the run shown, as the menu item does.
    connect(tv, &ShopTree::DeleteRequested, this,
            [this] { RunGuarded(m_prompts, this, [this] { DeleteSelectedShop(); }); });

    auto* pnlLeft_bottom = new QWidget;
    pnlLeft_bottom->setObjectName("pnlLeft_bottom");
    pnlLeft_bottom->setFixedHeight(kLeftBottomHeight);
    auto* buttons = new QHBoxLayout(pnlLeft_bottom);
    buttons->setContentsMargins(3, (kLeftBottomHeight - kButtonHeight) / 2, 3,
                                (kLeftBottomHeight - kButtonHeight + 1) / 2);
    buttons->setSpacing(3);
    btnOpenShop = Keyed(new QPushButton(tr("查看店铺")), Qt::Key_V);
    btnOpenShop->setObjectName("btnOpenShop");
    btnDelShop = Keyed(new QPushButton(tr("删除店铺")), Qt::Key_E);
    btnDelShop->setObjectName("btnDelShop");
    for (QPushButton* button : {btnOpenShop, btnDelShop}) {
        button->setFixedHeight(kButtonHeight);
        button->setMinimumWidth(0);
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        buttons->addWidget(button);
    }
    OnClick(btnOpenShop, &TFmMain::btnOpenShopClick);
    OnClick(btnDelShop, &TFmMain::DeleteSelectedShop);
    layout->addWidget(pnlLeft_bottom);
    return rspLeft;
}

QWidget* TFmMain::BuildItemPanel() {
    auto* pnlItem = new QSplitter(Qt::Vertical);
    pnlItem->setObjectName("pnlItem");
    pnlItem->setHandleWidth(kSizeBarWidth);
    pnlItem->setChildrenCollapsible(false);
    lst = new ItemListView;
    lst->setObjectName("lst");
    rpnlDetail = new DetailLists;
    pnlItem->addWidget(BuildListPart());
    pnlItem->addWidget(rpnlDetail);
    pnlItem->setStretchFactor(0, 1);
    pnlItem->setStretchFactor(1, 0);
    pnlItem->setSizes({1000, kDetailHeight});
    connect(lst, &ItemListView::FocusedItemChanged, this,
            [this] { RunGuarded(m_prompts, this, [this] { lstChange(); }); });
    connect(lst, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        ShowFullText(tr("宝贝"), *lst->model(), index.row());
    });
    connect(rpnlDetail, &DetailLists::BuyerActivated, this,
            [this](int row) { ShowFullText(tr("成交记录"), rpnlDetail->Buyers(), row); });
    connect(rpnlDetail, &DetailLists::RateActivated, this,
            [this](int row) { ShowFullText(tr("评价"), rpnlDetail->Rates(), row); });
    return pnlItem;
}

// The item list between a title filter above it and the totals of what it shows below it.
QWidget* TFmMain::BuildListPart() {
    auto* part = new QWidget;
    part->setObjectName("pnlList");
    auto* layout = new QVBoxLayout(part);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    auto* filterRow = new QHBoxLayout;
    filterRow->setContentsMargins(2, 2, 2, 0);
    auto* filterLabel = new QLabel(tr("筛选宝贝名称(&F):"));
    filterLabel->setObjectName("lblFilter");
    edtFilter = new QLineEdit;
    edtFilter->setObjectName("edtFilter");
    edtFilter->setClearButtonEnabled(true);
    edtFilter->setPlaceholderText(tr("输入宝贝名称中的文字"));
    filterLabel->setBuddy(edtFilter);
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(edtFilter, 1);
    layout->addLayout(filterRow);
    layout->addWidget(lst, 1);

    lblTotals = new QLabel;
    lblTotals->setObjectName("lblTotals");
    lblTotals->setTextFormat(Qt::PlainText);
    lblTotals->setContentsMargins(4, 0, 4, 2);
    layout->addWidget(lblTotals);

    connect(edtFilter, &QLineEdit::textChanged, this,
            [this](const QString& text) { lst->SetTitleFilter(text); });
    connect(lst, &ItemListView::ShownRowsChanged, this, &TFmMain::ShowTotals);
    ShowTotals();
    return part;
}

void TFmMain::ShowTotals() {
    lblTotals->setText(ItemTotalsText(lst->ShownTotals()));
}

QWidget* TFmMain::BuildRightPanel() {
    auto* rspMain_Right = new QWidget;
    rspMain_Right->setObjectName("rspMain_Right");
    auto* layout = new QVBoxLayout(rspMain_Right);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(4);
    auto button = [&](QPushButton* shown, const char* name) {
        shown->setObjectName(name);
        shown->setFixedHeight(kButtonHeight);
        layout->addWidget(shown);
        return shown;
    };
    auto plain = [&](const char* name, const QString& caption, Qt::Key key) {
        return button(Keyed(new QPushButton(caption), key), name);
    };
    struct WindowButton {
        const char* name;
        QString caption;
        Qt::Key key;
        TimeWindow window;
    };
    const WindowButton windowButtons[] = {
        {"btnAllData", tr("所有数据"), Qt::Key_1, TimeWindow::AllData},
        {"btnWeek", tr("最近一周"), Qt::Key_2, TimeWindow::LastWeek},
        {"btnMonth", tr("最近一月"), Qt::Key_3, TimeWindow::LastMonth},
        {"btnThisWeek", tr("本周数据"), Qt::Key_4, TimeWindow::ThisWeek},
        {"btnThisMonth", tr("本月数据"), Qt::Key_5, TimeWindow::ThisMonth}};
    // One of them is always checked: the window in force, the one the lists show.
    m_windowButtons = new QButtonGroup(this);
    m_windowButtons->setExclusive(true);
    for (const WindowButton& w : windowButtons) {
        QPushButton* shown = plain(w.name, w.caption, w.key);
        shown->setCheckable(true);
        m_windowButtons->addButton(shown, static_cast<int>(w.window));
        connect(shown, &QPushButton::clicked, this, [this, window = w.window] {
            RunGuarded(m_prompts, this, [this, window] { LoadItemListIfShopChosen(window); });
            ShowTimeWindow();
        });
    }
    ShowTimeWindow();
    layout->addSpacing(10);
    OnClick(plain("btnExport", tr("导出到EXCEL"), Qt::Key_L), &TFmMain::btnExportClick);
    OnClick(plain("btnCompare", tr("与上次对比"), Qt::Key_C), &TFmMain::btnCompareClick);
    layout->addSpacing(10);
    struct CheckButton {
        const char* name;
        QString caption;
        Qt::Key key;
        ItemListModel::CheckMode mode;
    };
    const CheckButton checkButtons[] = {
        {"btnSelectAll", tr("全选"), Qt::Key_S, ItemListModel::CheckMode::All},
        {"btnSelectNone", tr("全不选"), Qt::Key_N, ItemListModel::CheckMode::None},
        {"btnSelectOther", tr("反选"), Qt::Key_I, ItemListModel::CheckMode::Invert}};
    for (const CheckButton& c : checkButtons) {
        QPushButton* shown = plain(c.name, c.caption, c.key);
        // The lines shown, not those the title filter hides.
        connect(shown, &QPushButton::clicked, this, [this, mode = c.mode] {
            RunGuarded(m_prompts, this,
                       [this, mode] { lst->Model().SetAllChecks(mode, lst->ShownRows()); });
        });
    }
    layout->addSpacing(10);
    QPushButton* exportBuyer = button(
        Keyed(new WrappingButton(tr("导出勾选宝贝评价客户列表")), Qt::Key_R), "btnExportBuyer");
    exportBuyer->setFixedHeight(2 * kButtonHeight + 4);
    OnClick(exportBuyer, &TFmMain::btnExportBuyerClick);
    layout->addStretch(1);
    return rspMain_Right;
}

void TFmMain::SetTabOrder() {
    // Tab walks the window's parts: the tree, the filter, the item list, the two detail grids,
    // then the buttons.
    std::vector<QWidget*> order{tv, edtFilter, lst, rpnlDetail->BuyerGrid(),
                                rpnlDetail->RateGrid()};
    for (const char* name :
         {"btnAllData", "btnWeek", "btnMonth", "btnThisWeek", "btnThisMonth", "btnExport",
          "btnCompare", "btnSelectAll", "btnSelectNone", "btnSelectOther", "btnExportBuyer"}) {
        order.push_back(findChild<QWidget*>(QLatin1String(name)));
    }
    for (QWidget* button : {static_cast<QWidget*>(btnOpenShop), static_cast<QWidget*>(btnDelShop),
                            static_cast<QWidget*>(btnShopAssay), static_cast<QWidget*>(btnHelp),
                            static_cast<QWidget*>(btnUpdate), static_cast<QWidget*>(btnExit)}) {
        order.push_back(button);
    }
    for (std::size_t i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void TFmMain::OnClick(QAbstractButton* button, void (TFmMain::*handler)()) {
    connect(button, &QAbstractButton::clicked, this, [this, handler] {
        RunGuarded(m_prompts, this, [this, handler] { (this->*handler)(); });
    });
}

// ---- start-up and show ----

void TFmMain::FormCreate() {
    rpnlDetail->ClearLabels();
    m_source = m_settings.store.source;
    try {
        m_store.emplace(Store::Open(m_source));
    } catch (const DatabaseError& error) {
        m_storeFailure = DatabaseFailureMessage(m_source, error);
        m_prompts.ShowMessage(this, SystemText(Utf8Text(m_storeFailure)));
    }
    const QString caption = Caption(m_settings.store.edition);
    setWindowTitle(caption);
    tic->setToolTip(caption);
    StartWatching();
}

void TFmMain::StartWatching() {
    if (!m_store) {
        return;
    }
    m_watches = std::make_unique<WatchService>(m_source, m_settings.endpoints, m_clock);
    connect(m_watches.get(), &WatchService::watchStarted, this, [this](const QString& nick) {
        SetStatusText(tr("正在监控: %1").arg(ShownText(OneLine(nick))));
    });
    connect(m_watches.get(), &WatchService::watchEnded, this,
            [this](std::int32_t, const QString& nick, const QString& title, const QString& text,
                   int alerts, bool failed) {
                RunGuarded(m_prompts, this,
                           [&] { OnWatchEnded(nick, title, text, alerts, failed); });
            });
    connect(m_watches.get(), &WatchService::failed, this, [this](const QString& message) {
        SetStatusText(tr("监控未能运行: %1").arg(ShownText(OneLine(SystemText(message)))));
    });
    if (m_settings.watchPeriod.count() > 0) {
        m_watches->Start(m_settings.watchPeriod);
    }
}

void TFmMain::OnWatchEnded(const QString& nick, const QString& title, const QString& text,
                           int alerts, bool failed) {
    // The watched run is an analysis like any other: it joins the tree.
    LoadShopTree();
    const QString shop = ShownText(OneLine(nick));
    SetStatusText(failed ? tr("监控 %1: 分析未完成").arg(shop)
                         : tr("监控 %1: %n 条提醒", nullptr, alerts).arg(shop));
    if (title.isEmpty()) {
        return;
    }
    // The notice is the runner's own (the same the other channels get); the tray shows text
    // only, never markup.
    const QString shownTitle = ShownText(OneLine(title));
    const QString shownText = ShownText(text);
    if (tic->isVisible()) {
        // Desktop notification servers read a message's body as markup: escaped, a title of
        // the competitor's can neither link nor load an image there.
        tic->showMessage(shownTitle, shownText.toHtmlEscaped(), QSystemTrayIcon::Information);
    }
    emit watchNoticeShown(shownTitle, shownText);
}

TFmWatch* TFmMain::ShowWatchWindow() {
    if (!m_store || !m_watches) {
        m_prompts.ShowMessage(this, SystemText(Utf8Text(m_storeFailure)));
        return nullptr;
    }
    if (m_watchWindow == nullptr) {
        m_watchWindow = new TFmWatch(*m_store, *m_watches, m_prompts, m_clock, this);
        connect(m_watchWindow, &TFmWatch::openComparison, this,
                [this](const QString& older, const QString& newer, const QString& item) {
                    RunGuarded(m_prompts, this, [&] { OpenAlertComparison(older, newer, item); });
                });
    } else {
        m_watchWindow->Refresh();
    }
    m_watchWindow->show();
    m_watchWindow->raise();
    m_watchWindow->activateWindow();
    return m_watchWindow;
}

void TFmMain::btnWatchClick() {
    ShowWatchWindow();
}

void TFmMain::AddChosenShopToWatch() {
    if (!m_currentShop) {
        m_prompts.ShowMessage(this, tr("请先在左边选择一个店铺。"));
        return;
    }
    if (TFmWatch* window = ShowWatchWindow()) {
        window->AddWatch(Utf8Text(m_currentShop->WWName));
    }
}

void TFmMain::OpenAlertComparison(const QString& olderSid, const QString& newerSid,
                                  const QString& itemId) {
    TFmCompare* window = TFmCompare::OpenForRuns(Db(), m_prompts, olderSid.toStdString(),
                                                 newerSid.toStdString(), this);
    if (window == nullptr) {
        return;
    }
    m_compare = window;
    if (!itemId.isEmpty()) {
        window->SelectItem(itemId.toStdString());
    }
}

void TFmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Only the first real show runs the show steps; coming back from the tray or the minimised
    // state is not one.
    if (m_shown || event->spontaneous()) {
        return;
    }
    m_shown = true;
    RunGuarded(m_prompts, this, [this] { FormShow(); });
}

void TFmMain::FormShow() {
    StartVersionCheck();
    LoadShopTree();
    RefreshShopViews();
}

void TFmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() &&
        QSystemTrayIcon::isSystemTrayAvailable() && tic->isVisible()) {
        // Hidden once the state change is over: hiding from inside it confuses some window
        // managers.
        QMetaObject::invokeMethod(this, &QWidget::hide, Qt::QueuedConnection);
    }
}

void TFmMain::closeEvent(QCloseEvent* event) {
    ViewState(QString::fromStdString(m_settings.viewStateFile)).Save(*this);
    QMainWindow::closeEvent(event);
}

void TFmMain::MinimizeApplication() {
    if (m_readData && m_readData->isVisible()) {
        m_readData->showMinimized();
    }
    showMinimized();
}

void TFmMain::RestoreApplication() {
    showNormal();
    raise();
    activateWindow();
    if (m_readData && m_readData->isVisible()) {
        m_readData->showNormal();
        m_readData->raise();
        m_readData->activateWindow();
    }
}

// ---- the version check ----

void TFmMain::StartVersionCheck() {
    m_versionCheck = std::make_unique<TCheckUpdate>(
        m_settings.endpoints.versionEndpoint, [this](std::int32_t number) {
            // Queued with the window as context: delivered on the user-interface thread, also
            // while a modal window is open, and dropped if the window has gone by then.
            QMetaObject::invokeMethod(
                this, [this, number] { OnVersionResult(number); }, Qt::QueuedConnection);
        });
    m_versionCheck->Start();
}

void TFmMain::OnVersionResult(std::int32_t number) {
    RunGuarded(m_prompts, this, [this, number] {
        if (number <= kProgramVersion) {
            return;
        }
        // Without a browser, the box that gives the address says first what it is for.
        OpenOutside(
            SoftInfoPage(SoftInfoKind::Upgrade),
            tr("软件已有新版 (版本号 %1)。无法启动浏览器, 请把下面的升级地址复制到浏览器中打开:")
                .arg(number));
        DateTime::Parts now = m_clock.Now().Split();
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%02d-%02d %02d:%02d:%02d", now.month, now.day, now.hour,
                      now.minute, now.second);
        SetStatusText(QString::fromLatin1(stamp) + tr(" 软件已有新版,请升级."));
    });
    emit versionResultHandled(number);
}

// ---- toolbar ----

void TFmMain::btnShopAssayClick() {
    if (!m_readData) {
        m_readData =
            std::make_unique<TFmReadData>(m_source, m_settings.endpoints, m_prompts, m_clock, this);
        connect(m_readData.get(), &TFmReadData::minimizeRequested, this,
                [this] { RunGuarded(m_prompts, this, [this] { MinimizeApplication(); }); });
        connect(m_readData.get(), &TFmReadData::runningChanged, this, [this](bool running) {
            RunGuarded(m_prompts, this, [=, this] { ShowRun(running); });
        });
        m_runTimer = new QTimer(this);
        m_runTimer->setInterval(kRunProgressInterval);
        connect(m_runTimer, &QTimer::timeout, this, [this] { ShowRun(true); });
    }
    m_readData->SetRecentNicks(RecentNicks());
    m_readData->exec();
    LoadShopTree();
}

QStringList TFmMain::RecentNicks() const {
    // The tree lists the newest run first.
    QStringList nicks;
    for (const ShopRow& row : m_shopRows) {
        const QString nick = Utf8Text(row.WWName);
        if (!nick.trimmed().isEmpty() && !nicks.contains(nick) && nicks.size() < kRecentNicks) {
            nicks.append(nick);
        }
    }
    return nicks;
}

void TFmMain::ShowRun(bool running) {
    // A run goes on whether its dialog is open or not; the main window says so, and what it
    // has done, until it ends.
    if (running && m_readData) {
        if (!m_runTimer->isActive()) {
            m_runTimer->start();
        }
        const QString progress = m_readData->ProgressText();
        m_runPanel->setText(progress.isEmpty() ? tr("正在分析...")
                                               : tr("正在分析: %1").arg(progress));
        btnShopAssay->setIcon(AnalyseRunningIcon());
        btnShopAssay->setToolTip(m_runPanel->text());
        return;
    }
    if (m_runTimer) {
        m_runTimer->stop();
    }
    m_runPanel->clear();
    Keyed(btnShopAssay, Qt::Key_A);
    btnShopAssay->setIcon(AnalyseIcon());
    // A run that ended while its dialog was closed: the tree shows what it stored.
    if (m_readData && !m_readData->isVisible()) {
        LoadShopTree();
    }
}

void TFmMain::btnHelpClick() {
    ShowSoftInfo(SoftInfoKind::Help);
}

void TFmMain::btnUpdateClick() {
    ShowSoftInfo(SoftInfoKind::Upgrade);
}

void TFmMain::btnExitClick() {
    close();
}

std::string TFmMain::SoftInfoPage(SoftInfoKind kind) const {
    const Endpoints& e = m_settings.endpoints;
    const Edition edition = GetEdition();
    if (kind == SoftInfoKind::Help) {
        return edition == Edition::Partner ? e.partnerHelpPage : e.helpPage;
    }
    switch (edition) {
        case Edition::Agent:
            return e.agentUpgradePage;
        case Edition::Partner:
            return e.partnerUpdatePage;
        case Edition::Standard:
            break;
    }
    return e.upgradePage;
}

void TFmMain::ShowSoftInfo(SoftInfoKind kind) {
    OpenOutside(SoftInfoPage(kind));
}

void TFmMain::btnOpenShopClick() {
    if (m_currentShop) {
        OpenOutside(Trim(m_currentShop->ShopURL));
    }
}

void TFmMain::OpenOutside(const std::string& url, const QString& lead) {
    // An empty address has nowhere to go; a desktop without a browser gets the address in a
    // box whose text the user can select and copy.
    if (url.empty() || m_urls.Open(url)) {
        return;
    }
    m_prompts.ShowMessage(
        this, (lead.isEmpty() ? tr("无法启动浏览器。请把下面的地址复制到浏览器中打开:") : lead) +
                  QStringLiteral("\n") + ShownText(Utf8Text(url)));
}

// ---- the shop tree ----

Store& TFmMain::Db() {
    if (!m_store) {
        throw DatabaseError(tr("数据库没有打开：\"%1\"")
                                .arg(QString::fromStdString(m_source.Shown()))
                                .toStdString());
    }
    return *m_store;
}

void TFmMain::SetStatusText(const QString& text) {
    m_statusPanel->setText(text);
}

QString TFmMain::StatusText() const {
    return m_statusPanel->text();
}

QString TFmMain::HealthStatusText() const {
    return m_healthPanel->text();
}

QString TFmMain::RunStatusText() const {
    return m_runPanel->text();
}

void TFmMain::LoadShopTree() {
    // Emptied before the query: should it fail, the tree stays empty and no record of the old
    // tree is left in use.
    std::optional<TShop> previous = std::exchange(m_currentShop, std::nullopt);
    m_shopRows.clear();
    tv->Rebuild(m_shopRows);
    m_shopRows = Db().ReadShops();
    tv->Rebuild(m_shopRows, Db().CountItemsPerRun(), Db().ReadRunHealth(), Db().ReadRunOutcomes());
    // The chosen shop stays chosen while it is listed, and its node selected; a deleted one
    // leaves nothing chosen.
    if (previous) {
        m_currentShop = tv->FindShop(previous->Sid);
        tv->SelectShop(previous->Sid);
    }
    pmDelShop->setEnabled(m_currentShop.has_value());
    // A verdict stays beside the run it belongs to; once that run is gone, so is its verdict.
    if (!m_currentShop) {
        m_healthPanel->clear();
    }
}

void TFmMain::tvClick() {
    std::optional<TShop> selected = tv->SelectedShop();
    if (!selected) {
        pmDelShop->setEnabled(m_currentShop.has_value());
        return;
    }
    pmDelShop->setEnabled(true);
    m_currentShop = selected;
    const bool listed = std::any_of(m_shopRows.begin(), m_shopRows.end(), [&](const ShopRow& row) {
        return row.SID.starts_with(selected->Sid);
    });
    if (listed) {
        SetStatusText(tr("掌柜:") + ShownText(OneLine(Utf8Text(selected->WWName))));
        std::optional<RunHealthRow> health = tv->HealthOf(selected->Sid);
        QString status = health && ShopTree::NeedsMark(health->verdict)
                             ? tr("运行状况: %1").arg(ShopTree::VerdictText(health->verdict))
                             : QString();
        // A run that did not read the whole shop says so, beside its verdict.
        const QString partial = tv->PartialTextOf(selected->Sid);
        if (!partial.isEmpty()) {
            status += (status.isEmpty() ? QString() : QStringLiteral("  ")) + partial;
        }
        m_healthPanel->setText(status);
    }
    RefreshShopViews();
}

void TFmMain::RefreshShopViews() {
    if (m_currentShop) {
        LoadItemList(TimeWindow::AllData);
    } else {
        Db().CheckItemsTable();
    }
}

void TFmMain::DeleteSelectedShop() {
    // The run on screen, the one the tree has selected: never another node the keyboard or the
    // mouse merely passed over.
    const std::optional<TShop> selected = m_currentShop;
    if (!selected) {
        return;
    }
    // The run's time follows the nick: of several runs of one shop, the user sees which goes.
    QString named = ShownText(OneLine(CutText(Utf8Text(selected->WWName), kTipLength)));
    if (const QString time = RunTimeText(*selected); !time.isEmpty()) {
        named += QStringLiteral(" (") + time + QLatin1Char(')');
    }
    const QString question = tr("您确定要删除 %1 吗").arg(named);
    if (!m_prompts.AskYesNo(this, question)) {
        return;
    }
    Db().DeleteShop(selected->Sid);
    // Its rows are gone: the views show nothing rather than rows no longer stored.
    lst->Model().Fill({});
    rpnlDetail->Clear();
    SetStatusText(QString());
    LoadShopTree();
}

// ---- the item list and the detail lists ----

void TFmMain::LoadItemListIfShopChosen(TimeWindow window) {
    // Before a shop is chosen (or after the chosen one was deleted) there is no key to load.
    if (m_currentShop) {
        LoadItemList(window);
    }
}

void TFmMain::LoadItemList(TimeWindow window) {
    m_timeWindow = window;
    ShowTimeWindow();
    std::vector<ItemRow> items =
        Db().ReadItems(m_currentShop->Sid, LowerBound(window, m_clock.Now()));
    lst->Model().Fill(std::move(items), RunRecord::Load(Db(), m_currentShop->Sid));
    // The new list has no focused item yet: the detail lists wait for one, rather than go on
    // showing an item of another run or another window under figures that no longer apply.
    rpnlDetail->Clear();
}

void TFmMain::ShowTimeWindow() {
    if (QAbstractButton* button = m_windowButtons->button(static_cast<int>(m_timeWindow))) {
        button->setChecked(true);
    }
}

void TFmMain::lstChange() {
    ShowItemDetails();
}

void TFmMain::ShowItemDetails() {
    std::optional<ItemRow> item = lst->FocusedItem();
    if (!item) {
        return;
    }
    const std::optional<DateTime> bound = LowerBound(m_timeWindow, m_clock.Now());
    rpnlDetail->ShowBuyers(Db().ReadBuyers(item->sid, item->ItemID, bound));
    // Emptied first: should the review query fail, the grid shows nothing rather than the
    // reviews of another item.
    rpnlDetail->ClearRates();
    rpnlDetail->ShowRates(Db().ReadRates(item->sid, item->ItemID, bound));
}

void TFmMain::ShowFullText(const QString& caption, const QAbstractItemModel& model, int row) {
    if (!m_fullText) {
        m_fullText = new TFmFullText(this);
    }
    m_fullText->ShowRow(caption, model, row);
}

// ---- exports ----

QString TFmMain::ProposedExportName() const {
    return m_currentShop ? ProposedFileName(Utf8Text(m_currentShop->WWName), m_currentShop->Sid)
                         : QString();
}

void TFmMain::btnExportClick() {
    ExportJob job{{tr("Excel 工作簿 (*.xlsx)"), QStringLiteral("xlsx"), ProposedExportName()},
                  QStringLiteral("xlsx"),
                  [this](const std::string& path) {
                      // The lines shown, in the order shown: with no filter and no sort, every
                      // item in the order it was loaded.
                      const std::size_t cut = ExportItemListToXlsx(
                          ItemListCaptions(), lst->Model().SheetRows(lst->ShownRows()), path);
                      return ExportDone{tr("导出成功."), cut};
                  }};
    if (!job.request.proposedName.isEmpty()) {
        job.request.proposedName += QStringLiteral(".xlsx");
    }
    RunExport(m_prompts, this, job);
}

// ---- comparison with the shop's previous run ----

TFmCompare* TFmMain::CompareWindow() const {
    return m_compare.data();
}

void TFmMain::btnCompareClick() {
    CompareWithPrevious(m_currentShop);
}

void TFmMain::CompareWithPrevious(const std::optional<TShop>& shop) {
    if (!shop) {
        m_prompts.ShowMessage(this, tr("请先在左边选择一个店铺。"));
        return;
    }
    if (TFmCompare* window = TFmCompare::OpenForRun(Db(), m_prompts, shop->Sid, this)) {
        m_compare = window;
    }
}

void TFmMain::btnExportBuyerClick() {
    // No suffix added by the dialog: the export appends ".txt" to whatever name it is given.
    const ExportJob job{{tr("文本文件 (*.txt)"), QString(), ProposedExportName()},
                        QString(),
                        [this](const std::string& path) {
                            // The checked lines among those shown, in the order shown.
                            const std::vector<std::string> nicks = CollectReviewerNicks(
                                Db(), lst->Model().CheckedItems(lst->ShownRows()));
                            WriteNickFile(NickFileName(path), nicks);
                            return ExportDone{tr("成功导出 %1 个用户.").arg(nicks.size())};
                        }};
    RunExport(m_prompts, this, job);
}

}  // namespace tarnwick
