#include "app/TFmMain.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
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
#include <QToolButton>
#include <QVBoxLayout>

#include "analysis/RunRecord.h"
#include "app/AppIcons.h"
#include "app/GuardedCall.h"
#include "app/SaveFileDialog.h"
#include "app/TFmCompare.h"
#include "app/TFmReadData.h"
#include "app/UrlOpener.h"
#include "app/UserPrompts.h"
#include "app/ViewState.h"
#include "app/WaitCursor.h"
#include "base/Clock.h"
#include "base/Text.h"
#include "export/ItemSheet.h"
#include "export/NickExport.h"
#include "export/TCheckUpdate.h"
#include "export/XlsxExport.h"
#include "views/CellText.h"
#include "views/DetailLists.h"
#include "views/ItemListView.h"
#include "views/ShopTree.h"
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

QString Caption(Edition edition) {
    return edition == Edition::Partner ? TFmMain::tr("Halden软件-Quorvane V3.06")
                                       : TFmMain::tr("Corvell软件-Quorvane V3.06");
}

std::string FileNameBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
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

    QStatusBar* stat = statusBar();
    stat->setObjectName("stat");
    stat->setFixedHeight(kStatusBarHeight);
    m_statusPanel = new QLabel;
    m_statusPanel->setObjectName("m_statusPanel");
    stat->addWidget(m_statusPanel, 1);
    m_healthPanel = new QLabel;
    m_healthPanel->setObjectName("m_healthPanel");
    stat->addWidget(m_healthPanel);

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
    // A 70-pixel button has no room for a "(&A)" after four Chinese characters: the Chinese
    // captions stay bare and the key comes as a shortcut; a translation may mark its own.
    auto tool = [&](const char* name, const QString& caption, const QIcon& icon, Qt::Key key) {
        auto* button = new QToolButton;
        button->setObjectName(name);
        button->setText(caption);
        if (button->shortcut().isEmpty()) {
            button->setShortcut(QKeySequence(Qt::ALT | key));
        }
        button->setToolTip(QString(caption).remove(QLatin1Char('&')) + QStringLiteral(" (") +
                           button->shortcut().toString(QKeySequence::NativeText) +
                           QLatin1Char(')'));
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
    layout->addStretch(1);

    OnClick(btnShopAssay, &TFmMain::btnShopAssayClick);
    OnClick(btnHelp, &TFmMain::btnHelpClick);
    OnClick(btnUpdate, &TFmMain::btnUpdateClick);
    OnClick(btnExit, &TFmMain::btnExitClick);
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
    pmDelShop = pmTV->addAction(tr("删除(&D)"));
    pmDelShop->setObjectName("pmDelShop");
    connect(tv, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pmTV->popup(tv->viewport()->mapToGlobal(at)); });
    connect(pmDelShop, &QAction::triggered, this,
            [this] { RunGuarded(m_prompts, this, [this] { DeleteSelectedShop(); }); });
    pmCompare = pmTV->addAction(tr("与上次对比"));
    pmCompare->setObjectName("pmCompare");
    connect(pmCompare, &QAction::triggered, this, [this] {
        RunGuarded(m_prompts, this, [this] { CompareWithPrevious(tv->SelectedShop()); });
    });
    connect(tv, &ShopTree::Clicked, this,
            [this] { RunGuarded(m_prompts, this, [this] { tvClick(); }); });

    auto* pnlLeft_bottom = new QWidget;
    pnlLeft_bottom->setObjectName("pnlLeft_bottom");
    pnlLeft_bottom->setFixedHeight(kLeftBottomHeight);
    auto* buttons = new QHBoxLayout(pnlLeft_bottom);
    buttons->setContentsMargins(3, (kLeftBottomHeight - kButtonHeight) / 2, 3,
                                (kLeftBottomHeight - kButtonHeight + 1) / 2);
    buttons->setSpacing(3);
    btnOpenShop = new QPushButton(tr("查看店铺(&V)"));
    btnOpenShop->setObjectName("btnOpenShop");
    btnDelShop = new QPushButton(tr("删除店铺(&E)"));
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
    auto plain = [&](const char* name, const QString& caption) {
        return button(new QPushButton(caption), name);
    };
    auto window = [this](TimeWindow w) { return [this, w] { LoadItemListIfShopChosen(w); }; };
    const std::pair<const char*, QString> windowButtons[] = {{"btnAllData", tr("所有数据(&1)")},
                                                             {"btnWeek", tr("最近一周(&2)")},
                                                             {"btnMonth", tr("最近一月(&3)")},
                                                             {"btnThisWeek", tr("本周数据(&4)")},
                                                             {"btnThisMonth", tr("本月数据(&5)")}};
    const TimeWindow windows[] = {TimeWindow::AllData, TimeWindow::LastWeek, TimeWindow::LastMonth,
                                  TimeWindow::ThisWeek, TimeWindow::ThisMonth};
    for (std::size_t i = 0; i < std::size(windows); ++i) {
        QPushButton* shown = plain(windowButtons[i].first, windowButtons[i].second);
        connect(shown, &QPushButton::clicked, this,
                [this, load = window(windows[i])] { RunGuarded(m_prompts, this, load); });
    }
    layout->addSpacing(10);
    OnClick(plain("btnExport", tr("导出到EXCEL(&L)")), &TFmMain::btnExportClick);
    OnClick(plain("btnCompare", tr("与上次对比")), &TFmMain::btnCompareClick);
    layout->addSpacing(10);
    const std::pair<const char*, QString> checkButtons[] = {{"btnSelectAll", tr("全选(&S)")},
                                                            {"btnSelectNone", tr("全不选(&N)")},
                                                            {"btnSelectOther", tr("反选(&I)")}};
    const ItemListModel::CheckMode modes[] = {ItemListModel::CheckMode::All,
                                              ItemListModel::CheckMode::None,
                                              ItemListModel::CheckMode::Invert};
    for (std::size_t i = 0; i < std::size(modes); ++i) {
        QPushButton* shown = plain(checkButtons[i].first, checkButtons[i].second);
        connect(shown, &QPushButton::clicked, this, [this, mode = modes[i]] {
            RunGuarded(m_prompts, this, [this, mode] { lst->Model().SetAllChecks(mode); });
        });
    }
    layout->addSpacing(10);
    QPushButton* exportBuyer =
        button(new WrappingButton(tr("导出勾选宝贝评价客户列表(&R)")), "btnExportBuyer");
    exportBuyer->setFixedHeight(2 * kButtonHeight + 4);
    OnClick(exportBuyer, &TFmMain::btnExportBuyerClick);
    layout->addStretch(1);
    return rspMain_Right;
}

void TFmMain::OnClick(QAbstractButton* button, void (TFmMain::*handler)()) {
    connect(button, &QAbstractButton::clicked, this, [this, handler] {
        RunGuarded(m_prompts, this, [this, handler] { (this->*handler)(); });
    });
}

// ---- start-up and show ----

void TFmMain::FormCreate() {
    rpnlDetail->ClearLabels();
    if (m_settings.databaseLocation.empty()) {
        m_database = OpenDatabase(m_settings.databaseFolder.empty() ? m_settings.programFolder
                                                                    : m_settings.databaseFolder);
        if (m_database.db) {
            m_store.emplace(std::move(*m_database.db));
            m_database.db.reset();
        }
    } else {
        m_database.choice = {m_settings.databaseLocation, Edition::Standard};
        try {
            m_store.emplace(Store::Open(m_database.choice.path));
        } catch (const DatabaseError& error) {
            m_database.failureMessage = DatabaseFailureMessage(m_database.choice.path, error);
        }
    }
    if (!m_store) {
        m_prompts.ShowMessage(this, Utf8Text(m_database.failureMessage));
    }
    const QString caption = Caption(m_database.choice.edition);
    setWindowTitle(caption);
    tic->setToolTip(caption);
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
        ShowSoftInfo(SoftInfoKind::Upgrade);
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
        m_readData = std::make_unique<TFmReadData>(m_database.choice.path, m_settings.endpoints,
                                                   m_prompts, m_clock, this);
        connect(m_readData.get(), &TFmReadData::minimizeRequested, this,
                [this] { RunGuarded(m_prompts, this, [this] { MinimizeApplication(); }); });
    }
    m_readData->exec();
    LoadShopTree();
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

void TFmMain::OpenOutside(const std::string& url) {
    // An empty address has nowhere to go; a desktop without a browser gets the address in a
    // box whose text the user can select and copy.
    if (url.empty() || m_urls.Open(url)) {
        return;
    }
    m_prompts.ShowMessage(this, tr("无法启动浏览器。请把下面的地址复制到浏览器中打开:") +
                                    QStringLiteral("\n") + Utf8Text(url));
}

// ---- the shop tree ----

Store& TFmMain::Db() {
    if (!m_store) {
        throw DatabaseError(tr("数据库没有打开：\"%1\"")
                                .arg(QString::fromStdString(ShownLocation(m_database.choice.path)))
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

void TFmMain::LoadShopTree() {
    // Emptied before the query: should it fail, the tree stays empty and no record of the old
    // tree is left in use.
    std::optional<TShop> previous = std::exchange(m_currentShop, std::nullopt);
    m_shopRows.clear();
    tv->Rebuild(m_shopRows);
    m_shopRows = Db().ReadShops();
    tv->Rebuild(m_shopRows, Db().CountItemsPerRun(), Db().ReadRunHealth(), Db().ReadRunOutcomes());
    // The chosen shop stays chosen while it is listed; a deleted one leaves nothing chosen.
    if (previous) {
        m_currentShop = tv->FindShop(previous->Sid);
    }
    // A verdict stays beside the run it belongs to; once that run is gone, so is its verdict.
    if (!m_currentShop) {
        m_healthPanel->clear();
    }
}

void TFmMain::tvClick() {
    std::optional<TShop> selected = tv->SelectedShop();
    pmDelShop->setEnabled(selected.has_value());
    if (!selected) {
        return;
    }
    m_currentShop = selected;
    const bool listed = std::any_of(m_shopRows.begin(), m_shopRows.end(), [&](const ShopRow& row) {
        return row.SID.starts_with(selected->Sid);
    });
    if (listed) {
        SetStatusText(tr("掌柜:") + Utf8Text(selected->WWName));
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
    std::optional<TShop> selected = tv->SelectedShop();
    if (!selected) {
        return;
    }
    // The run's time follows the nick: of several runs of one shop, the user sees which goes.
    QString named = Utf8Text(selected->WWName);
    if (const QString time = RunTimeText(*selected); !time.isEmpty()) {
        named += QStringLiteral(" (") + time + QLatin1Char(')');
    }
    const QString question = tr("您确定要删除 %1 吗").arg(named);
    if (!m_prompts.AskYesNo(this, question)) {
        return;
    }
    Db().DeleteShop(selected->Sid);
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
    std::vector<ItemRow> items =
        Db().ReadItems(m_currentShop->Sid, LowerBound(window, m_clock.Now()));
    lst->Model().Fill(std::move(items), RunRecord::Load(Db(), m_currentShop->Sid));
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

// ---- exports ----

QString TFmMain::ProposedExportName() const {
    return m_currentShop ? ProposedFileName(Utf8Text(m_currentShop->WWName), m_currentShop->Sid)
                         : QString();
}

void TFmMain::btnExportClick() {
    SaveRequest request{tr("Excel 工作簿 (*.xlsx)"), QStringLiteral("xlsx"), ProposedExportName()};
    if (!request.proposedName.isEmpty()) {
        request.proposedName += QStringLiteral(".xlsx");
    }
    std::optional<QString> chosen = m_prompts.AskSaveFileName(this, request);
    if (!chosen) {
        return;
    }
    QString path = *chosen;
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".xlsx");
    }
    try {
        WaitCursor hourglass;
        ExportItemListToXlsx(ItemListCaptions(), lst->Model().SheetRows(), FileNameBytes(path));
    } catch (const ExportError& error) {
        // A save the file system refuses is said as such, with its reason, and not left to the
        // error box alone: the user asked for a file and must hear that there is none.
        m_prompts.ShowMessage(this, QString::fromUtf8(error.what()));
        m_prompts.ShowMessage(this, tr("导出失败."));
        return;
    }
    m_prompts.ShowMessage(this, tr("导出成功."));
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
    const SaveRequest request{tr("文本文件 (*.txt)"), QString(), ProposedExportName()};
    std::optional<QString> chosen = m_prompts.AskSaveFileName(this, request);
    if (!chosen) {
        return;
    }
    std::vector<std::string> nicks = CollectReviewerNicks(Db(), lst->Model().CheckedItems());
    WriteNickFile(NickFileName(FileNameBytes(*chosen)), nicks);
    m_prompts.ShowMessage(this, tr("成功导出 %1 个用户.").arg(nicks.size()));
}

}  // namespace tarnwick
