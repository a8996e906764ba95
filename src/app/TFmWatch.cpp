#include "app/TFmWatch.h"

#include <algorithm>
#include <map>

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "acquire/AcquisitionController.h"
#include "analysis/RunRecord.h"
#include "app/GuardedCall.h"
#include "app/UserPrompts.h"
#include "app/WaitCursor.h"
#include "app/WatchService.h"
#include "base/Clock.h"
#include "base/Text.h"
#include "fetch/Gbk.h"
#include "notify/Delivery.h"
#include "notify/NotifyChannel.h"
#include "store/Store.h"
#include "views/CellText.h"
#include "views/PlainText.h"
#include "views/SystemText.h"
#include "watch/AlertRules.h"
#include "watch/StoreWatchStore.h"
#include "watch/WatchRunner.h"

namespace tarnwick {

namespace {

constexpr int kWidth = 900;
constexpr int kHeight = 560;
constexpr int kTitleLength = 80;

// The schedules offered; any other that Schedule reads can be typed.
const char* const kEveryChoices[] = {"1h", "6h", "12h", "1d", "2d", "7d", "daily 08:00"};

QString KindText(const std::string& kind) {
    const std::optional<AlertKind> parsed = ParseAlertKind(kind);
    if (!parsed) {
        return ShownText(OneLine(Utf8Text(kind)));
    }
    switch (*parsed) {
        case AlertKind::PriceDown:
            return TFmWatch::tr("降价");
        case AlertKind::PriceUp:
            return TFmWatch::tr("涨价");
        case AlertKind::New:
            return TFmWatch::tr("新上架");
        case AlertKind::Removed:
            return TFmWatch::tr("已下架");
        case AlertKind::StockOut:
            return TFmWatch::tr("售罄");
        case AlertKind::Restock:
            return TFmWatch::tr("补货");
        case AlertKind::SalesJump:
            return TFmWatch::tr("销量突增");
        case AlertKind::WatchFailed:
            return TFmWatch::tr("监控失败");
    }
    return QString();
}

QString RulesText(const WatchRow& row) {
    QStringList parts;
    if (row.PriceChange > 0 && (row.PriceDown != 0 || row.PriceUp != 0)) {
        QString price = TFmWatch::tr("价格±%1%").arg(row.PriceChange);
        if (row.PriceDown == 0 || row.PriceUp == 0) {
            price += row.PriceDown != 0 ? TFmWatch::tr("(仅降价)") : TFmWatch::tr("(仅涨价)");
        }
        parts << price;
    }
    if (row.NewItems != 0) {
        parts << TFmWatch::tr("上新");
    }
    if (row.RemovedItems != 0) {
        parts << TFmWatch::tr("下架");
    }
    if (row.Stock != 0) {
        parts << TFmWatch::tr("库存");
    }
    if (row.SalesJump > 0) {
        parts << TFmWatch::tr("销量≥%1").arg(row.SalesJump);
    }
    return parts.join(QLatin1Char(' '));
}

QString OutcomeText(const std::string& key) {
    if (key.empty()) {
        return TFmWatch::tr("未分析");
    }
    const std::optional<RunOutcome> outcome = OutcomeFromKey(key);
    return outcome ? SystemText(Utf8Text(OutcomeLabel(*outcome))) : Utf8Text(key);
}

// A cell of page text or of ours, never markup; the whole text in its tooltip when cut.
QTableWidgetItem* Cell(const QString& text) {
    auto* cell = new QTableWidgetItem(text);
    cell->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return cell;
}

void SetUpTable(QTableWidget& table, const QStringList& columns) {
    table.setColumnCount(static_cast<int>(columns.size()));
    table.setHorizontalHeaderLabels(columns);
    table.setSelectionBehavior(QAbstractItemView::SelectRows);
    table.setSelectionMode(QAbstractItemView::SingleSelection);
    table.setEditTriggers(QAbstractItemView::NoEditTriggers);
    table.verticalHeader()->hide();
    table.horizontalHeader()->setStretchLastSection(true);
    // Tab leaves the table for the next control instead of walking its cells.
    table.setTabKeyNavigation(false);
    table.setWordWrap(false);
}

Notification TestNotice() {
    Notification notice;
    notice.title = TFmWatch::tr("监控 测试: Quorvane 的提醒会这样送达").toStdString();
    notice.lines = {TFmWatch::tr("这是一条测试提醒。").toStdString()};
    notice.entries = {{"test", "", "", "", "", notice.lines[0]}};
    return notice;
}

}  // namespace

TFmWatch::TFmWatch(Store& store, WatchService& service, UserPrompts& prompts, const Clock& clock,
                   QWidget* parent)
    : QDialog(parent), m_store(store), m_service(service), m_prompts(prompts), m_clock(clock) {
    setObjectName("TFmWatch");
    setWindowFlag(Qt::Window);
    setWindowTitle(tr("监控"));
    resize(kWidth, kHeight);
    auto* layout = new QVBoxLayout(this);
    tabs = new QTabWidget;
    tabs->setObjectName("tabs");
    tabs->addTab(BuildWatchPage(), tr("监控的店铺(&1)"));
    tabs->addTab(BuildAlertPage(), tr("提醒(&2)"));
    tabs->addTab(BuildChannelPage(), tr("提醒渠道(&3)"));
    layout->addWidget(tabs, 1);
    // No default button: Enter belongs to the field or list that has the focus (the nick
    // field adds its watch, the alert list opens its alert).
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
    }
    lblState = new QLabel;
    lblState->setObjectName("lblState");
    MakePlainLabel(*lblState);
    layout->addWidget(lblState);

    connect(&m_service, &WatchService::busyChanged, this, [this](bool busy) {
        btnRunNow->setEnabled(!busy && ChosenWatch().has_value());
        if (!busy) {
            RunGuarded(m_prompts, this, [this] { Refresh(); });
        }
    });
    connect(&m_service, &WatchService::line, this,
            [this](const QString& text) { lblState->setText(ShownText(OneLine(text))); });
    Refresh();
}

QWidget* TFmWatch::BuildWatchPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* add = new QHBoxLayout;
    auto* nickLabel = new QLabel(tr("掌柜名(&N):"));
    edtNick = new QLineEdit;
    edtNick->setObjectName("edtNick");
    edtNick->setPlaceholderText(tr("要监控的同行的掌柜名"));
    nickLabel->setBuddy(edtNick);
    btnAdd = new QPushButton(tr("加入监控(&A)"));
    btnAdd->setObjectName("btnAdd");
    add->addWidget(nickLabel);
    add->addWidget(edtNick, 1);
    add->addWidget(btnAdd);
    layout->addLayout(add);

    tblWatches = new QTableWidget;
    tblWatches->setObjectName("tblWatches");
    SetUpTable(*tblWatches, {tr("掌柜"), tr("频率"), tr("提醒"), tr("上次分析"), tr("结果"),
                             tr("下次分析"), tr("未读提醒")});
    layout->addWidget(tblWatches, 1);

    // The chosen watch's settings, saved with one button.
    auto* form = new QFormLayout;
    cbbEvery = new QComboBox;
    cbbEvery->setObjectName("cbbEvery");
    cbbEvery->setEditable(true);
    for (const char* every : kEveryChoices) {
        cbbEvery->addItem(QString::fromLatin1(every));
    }
    speThreads = new QSpinBox;
    speThreads->setObjectName("speThreads");
    speThreads->setRange(1, 30);
    spePrice = new QDoubleSpinBox;
    spePrice->setObjectName("spePrice");
    spePrice->setRange(0, 100);
    spePrice->setDecimals(1);
    spePrice->setSuffix(QStringLiteral(" %"));
    chkPriceDown = new QCheckBox(tr("降价(&D)"));
    chkPriceUp = new QCheckBox(tr("涨价(&P)"));
    chkNew = new QCheckBox(tr("上新(&W)"));
    chkRemoved = new QCheckBox(tr("下架(&M)"));
    chkStock = new QCheckBox(tr("售罄和补货(&K)"));
    chkPriceDown->setObjectName("chkPriceDown");
    chkPriceUp->setObjectName("chkPriceUp");
    chkNew->setObjectName("chkNew");
    chkRemoved->setObjectName("chkRemoved");
    chkStock->setObjectName("chkStock");
    speSalesJump = new QSpinBox;
    speSalesJump->setObjectName("speSalesJump");
    speSalesJump->setRange(0, 1000000);
    speSalesJump->setSpecialValueText(tr("不提醒"));
    auto* price = new QHBoxLayout;
    price->addWidget(spePrice);
    price->addWidget(chkPriceDown);
    price->addWidget(chkPriceUp);
    price->addStretch(1);
    auto* items = new QHBoxLayout;
    items->addWidget(chkNew);
    items->addWidget(chkRemoved);
    items->addWidget(chkStock);
    items->addStretch(1);
    auto* everyLabel = new QLabel(tr("分析频率(&F):"));
    everyLabel->setBuddy(cbbEvery);
    form->addRow(everyLabel, cbbEvery);
    auto* threadsLabel = new QLabel(tr("线程数(&T):"));
    threadsLabel->setBuddy(speThreads);
    form->addRow(threadsLabel, speThreads);
    auto* priceLabel = new QLabel(tr("价格变动至少(&C):"));
    priceLabel->setBuddy(spePrice);
    form->addRow(priceLabel, price);
    form->addRow(tr("宝贝:"), items);
    auto* salesLabel = new QLabel(tr("两次分析间售出至少(&J):"));
    salesLabel->setBuddy(speSalesJump);
    form->addRow(salesLabel, speSalesJump);
    layout->addLayout(form);

    auto* buttons = new QHBoxLayout;
    btnSave = new QPushButton(tr("保存设置(&S)"));
    btnSave->setObjectName("btnSave");
    btnRunNow = new QPushButton(tr("立即分析(&R)"));
    btnRunNow->setObjectName("btnRunNow");
    btnRemove = new QPushButton(tr("取消监控(&E)"));
    btnRemove->setObjectName("btnRemove");
    buttons->addWidget(btnSave);
    buttons->addWidget(btnRunNow);
    buttons->addStretch(1);
    buttons->addWidget(btnRemove);
    layout->addLayout(buttons);

    OnClick(btnAdd, &TFmWatch::btnAddClick);
    connect(edtNick, &QLineEdit::returnPressed, btnAdd, &QPushButton::click);
    OnClick(btnSave, &TFmWatch::btnSaveClick);
    OnClick(btnRunNow, &TFmWatch::btnRunNowClick);
    OnClick(btnRemove, &TFmWatch::btnRemoveClick);
    connect(tblWatches, &QTableWidget::itemSelectionChanged, this, [this] {
        ShowChosenSettings();
        if (chkChosenShop->isChecked()) {
            ShowAlerts();
        }
    });
    return page;
}

QWidget* TFmWatch::BuildAlertPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* filters = new QHBoxLayout;
    chkUnread = new QCheckBox(tr("只看未读(&U)"));
    chkUnread->setObjectName("chkUnread");
    chkUnread->setChecked(true);
    cbbKind = new QComboBox;
    cbbKind->setObjectName("cbbKind");
    cbbKind->addItem(tr("全部类型"), QString());
    for (AlertKind kind :
         {AlertKind::PriceDown, AlertKind::PriceUp, AlertKind::New, AlertKind::Removed,
          AlertKind::StockOut, AlertKind::Restock, AlertKind::SalesJump, AlertKind::WatchFailed}) {
        const std::string name(AlertKindName(kind));
        cbbKind->addItem(KindText(name), QString::fromStdString(name));
    }
    chkChosenShop = new QCheckBox(tr("只看所选店铺(&O)"));
    chkChosenShop->setObjectName("chkChosenShop");
    btnAck = new QPushButton(tr("标为已读(&K)"));
    btnAck->setObjectName("btnAck");
    filters->addWidget(chkUnread);
    filters->addWidget(cbbKind);
    filters->addWidget(chkChosenShop);
    filters->addStretch(1);
    filters->addWidget(btnAck);
    layout->addLayout(filters);
    tblAlerts = new QTableWidget;
    tblAlerts->setObjectName("tblAlerts");
    SetUpTable(*tblAlerts, {tr("时间"), tr("掌柜"), tr("类型"), tr("之前"), tr("之后"), tr("宝贝"),
                            tr("已读")});
    layout->addWidget(tblAlerts, 1);
    auto* hint = new QLabel(tr("双击或按回车打开提醒: 在两次分析的对比中显示该宝贝。"));
    layout->addWidget(hint);

    connect(chkUnread, &QCheckBox::toggled, this, &TFmWatch::ShowAlerts);
    connect(chkChosenShop, &QCheckBox::toggled, this, &TFmWatch::ShowAlerts);
    connect(cbbKind, &QComboBox::currentIndexChanged, this, &TFmWatch::ShowAlerts);
    OnClick(btnAck, &TFmWatch::btnAckClick);
    connect(tblAlerts, &QTableWidget::cellActivated, this,
            [this](int row, int) { RunGuarded(m_prompts, this, [this, row] { OpenAlert(row); }); });
    return page;
}

QWidget* TFmWatch::BuildChannelPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    lstChannels = new QListWidget;
    lstChannels->setObjectName("lstChannels");
    layout->addWidget(lstChannels, 1);
    auto* form = new QFormLayout;
    cbbChannelKind = new QComboBox;
    cbbChannelKind->setObjectName("cbbChannelKind");
    cbbChannelKind->addItem(tr("群机器人 (webhook)"), QStringLiteral("webhook"));
    cbbChannelKind->addItem(tr("电子邮件"), QStringLiteral("email"));
    edtAddress = new QLineEdit;
    edtAddress->setObjectName("edtAddress");
    edtAddress->setPlaceholderText(tr("https://... 或 smtps://用户名@邮件服务器:端口"));
    cbbStyle = new QComboBox;
    cbbStyle->setObjectName("cbbStyle");
    cbbStyle->addItem(tr("企业微信"), QStringLiteral("wecom"));
    cbbStyle->addItem(tr("钉钉"), QStringLiteral("dingtalk"));
    cbbStyle->addItem(QStringLiteral("JSON"), QStringLiteral("json"));
    edtMailTo = new QLineEdit;
    edtMailTo->setObjectName("edtMailTo");
    edtPassword = new QLineEdit;
    edtPassword->setObjectName("edtPassword");
    edtPassword->setEchoMode(QLineEdit::Password);
    auto row = [&](const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    row(tr("类型(&Y):"), cbbChannelKind);
    row(tr("地址(&D):"), edtAddress);
    row(tr("格式(&G):"), cbbStyle);
    row(tr("收件人(&O):"), edtMailTo);
    row(tr("密码(&W):"), edtPassword);
    layout->addLayout(form);
    auto* buttons = new QHBoxLayout;
    btnAddChannel = new QPushButton(tr("添加渠道(&A)"));
    btnAddChannel->setObjectName("btnAddChannel");
    btnTestChannel = new QPushButton(tr("试发(&T)"));
    btnTestChannel->setObjectName("btnTestChannel");
    btnRemoveChannel = new QPushButton(tr("删除渠道(&E)"));
    btnRemoveChannel->setObjectName("btnRemoveChannel");
    buttons->addWidget(btnAddChannel);
    buttons->addWidget(btnTestChannel);
    buttons->addStretch(1);
    buttons->addWidget(btnRemoveChannel);
    layout->addLayout(buttons);
    auto showFields = [this] {
        const bool mail = cbbChannelKind->currentData().toString() == QLatin1String("email");
        cbbStyle->setEnabled(!mail);
        edtMailTo->setEnabled(mail);
        edtPassword->setEnabled(mail);
    };
    showFields();
    connect(cbbChannelKind, &QComboBox::currentIndexChanged, this, showFields);
    OnClick(btnAddChannel, &TFmWatch::btnAddChannelClick);
    OnClick(btnTestChannel, &TFmWatch::btnTestChannelClick);
    OnClick(btnRemoveChannel, &TFmWatch::btnRemoveChannelClick);
    return page;
}

void TFmWatch::OnClick(QAbstractButton* button, void (TFmWatch::*handler)()) {
    connect(button, &QAbstractButton::clicked, this, [this, handler] {
        RunGuarded(m_prompts, this, [this, handler] { (this->*handler)(); });
    });
}

void TFmWatch::EnsureTables() {
    if (!m_store.HasWatchTables()) {
        // A database from before watching: the tables are added the first time the user asks
        // for a watch, as `init-db --watch-tables` would add them.
        m_store.CreateWatchTables();
    }
}

void TFmWatch::Refresh() {
    const std::optional<WatchRow> chosen = ChosenWatch();
    m_watches.clear();
    m_alerts.clear();
    m_channels.clear();
    if (m_store.HasWatchTables()) {
        m_watches = m_store.ReadWatches();
        m_alerts = m_store.ReadAlerts({});
        m_channels = m_store.ReadChannels();
    }
    // Newest first, as a seller reads them.
    std::reverse(m_alerts.begin(), m_alerts.end());
    ShowWatches();
    if (chosen) {
        for (std::size_t i = 0; i < m_watches.size(); ++i) {
            if (m_watches[i].WatchID == chosen->WatchID) {
                tblWatches->selectRow(static_cast<int>(i));
            }
        }
    }
    ShowChosenSettings();
    ShowAlerts();
    ShowChannels();
}

void TFmWatch::ShowWatches() {
    std::map<std::int32_t, int> unread;
    for (const AlertRow& alert : m_alerts) {
        unread[alert.WatchID] += alert.IsRead == 0 ? 1 : 0;
    }
    const QSignalBlocker quiet(tblWatches);
    tblWatches->setRowCount(static_cast<int>(m_watches.size()));
    for (std::size_t i = 0; i < m_watches.size(); ++i) {
        const WatchRow& row = m_watches[i];
        const Watch watch = WatchFromRow(row);
        const int line = static_cast<int>(i);
        tblWatches->setItem(line, 0, Cell(ShownText(OneLine(Utf8Text(row.WWName)))));
        tblWatches->setItem(line, 1, Cell(Utf8Text(row.Schedule)));
        tblWatches->setItem(line, 2, Cell(RulesText(row)));
        tblWatches->setItem(line, 3,
                            Cell(watch.lastStarted ? DateTimeText(*watch.lastStarted) : QString()));
        tblWatches->setItem(line, 4, Cell(OutcomeText(row.LastOutcome)));
        tblWatches->setItem(line, 5, Cell(DateTimeText(NextDue(watch))));
        tblWatches->setItem(line, 6, Cell(QString::number(unread[row.WatchID])));
    }
    tblWatches->resizeColumnsToContents();
}

std::optional<WatchRow> TFmWatch::ChosenWatch() const {
    if (tblWatches == nullptr) {
        return std::nullopt;
    }
    const QList<QTableWidgetSelectionRange> ranges = tblWatches->selectedRanges();
    if (ranges.isEmpty()) {
        return std::nullopt;
    }
    const auto line = static_cast<std::size_t>(ranges.front().topRow());
    return line < m_watches.size() ? std::optional(m_watches[line]) : std::nullopt;
}

void TFmWatch::ShowChosenSettings() {
    const std::optional<WatchRow> row = ChosenWatch();
    for (QWidget* field : std::initializer_list<QWidget*>{
             cbbEvery, speThreads, spePrice, chkPriceDown, chkPriceUp, chkNew, chkRemoved, chkStock,
             speSalesJump, btnSave, btnRemove}) {
        field->setEnabled(row.has_value());
    }
    btnRunNow->setEnabled(row.has_value() && !m_service.Busy());
    if (!row) {
        return;
    }
    cbbEvery->setCurrentText(Utf8Text(row->Schedule));
    speThreads->setValue(row->Threads);
    spePrice->setValue(row->PriceChange);
    chkPriceDown->setChecked(row->PriceDown != 0);
    chkPriceUp->setChecked(row->PriceUp != 0);
    chkNew->setChecked(row->NewItems != 0);
    chkRemoved->setChecked(row->RemovedItems != 0);
    chkStock->setChecked(row->Stock != 0);
    speSalesJump->setValue(row->SalesJump);
}

void TFmWatch::ShowAlerts() {
    const QString kind = cbbKind->currentData().toString();
    const std::optional<WatchRow> chosen = ChosenWatch();
    m_shownAlerts.clear();
    for (const AlertRow& alert : m_alerts) {
        if (chkUnread->isChecked() && alert.IsRead != 0) {
            continue;
        }
        if (!kind.isEmpty() && QString::fromStdString(alert.Kind) != kind) {
            continue;
        }
        if (chkChosenShop->isChecked() && chosen && alert.WatchID != chosen->WatchID) {
            continue;
        }
        m_shownAlerts.push_back(alert);
    }
    tblAlerts->setRowCount(static_cast<int>(m_shownAlerts.size()));
    for (std::size_t i = 0; i < m_shownAlerts.size(); ++i) {
        const AlertRow& alert = m_shownAlerts[i];
        const int line = static_cast<int>(i);
        tblAlerts->setItem(line, 0, Cell(DateTimeText(alert.AddTime)));
        tblAlerts->setItem(line, 1, Cell(ShownText(OneLine(Utf8Text(alert.WWName)))));
        tblAlerts->setItem(line, 2, Cell(KindText(alert.Kind)));
        tblAlerts->setItem(line, 3, Cell(Utf8Text(alert.BeforeValue)));
        tblAlerts->setItem(line, 4, Cell(Utf8Text(alert.AfterValue)));
        const QString title = ShownText(OneLine(Utf8Text(
            alert.Kind == AlertKindName(AlertKind::WatchFailed) ? alert.Text : alert.Title)));
        QTableWidgetItem* titleCell = Cell(CutText(title, kTitleLength));
        titleCell->setToolTip(TipText(title));
        tblAlerts->setItem(line, 5, titleCell);
        tblAlerts->setItem(line, 6, Cell(alert.IsRead != 0 ? tr("已读") : tr("未读")));
    }
    tblAlerts->resizeColumnsToContents();
    btnAck->setEnabled(!m_shownAlerts.empty());
    int unread = 0;
    for (const AlertRow& alert : m_alerts) {
        unread += alert.IsRead == 0 ? 1 : 0;
    }
    tabs->setTabText(1, unread > 0 ? tr("提醒 (%1)(&2)").arg(unread) : tr("提醒(&2)"));
}

void TFmWatch::ShowChannels() {
    lstChannels->clear();
    for (const ChannelRow& row : m_channels) {
        const ChannelConfig channel = ChannelFromRow(row);
        lstChannels->addItem(Utf8Text(ChannelTag(channel)) + QStringLiteral("  ") +
                             ShownText(OneLine(Utf8Text(ShownChannel(channel)))));
    }
    btnRemoveChannel->setEnabled(!m_channels.empty());
    btnTestChannel->setEnabled(!m_channels.empty());
}

std::optional<std::int32_t> TFmWatch::AddWatch(const QString& typed) {
    const std::string nick = Trim(typed.toStdString());
    if (nick.empty()) {
        m_prompts.ShowMessage(this, tr("请先输入要监控的同行的掌柜名。"));
        return std::nullopt;
    }
    if (GbkToUtf8(Utf8ToGbk(nick)) != nick) {
        m_prompts.ShowMessage(this,
                              SystemText(Utf8Text(AcquisitionController::kUnencodableNickNotice)));
        return std::nullopt;
    }
    EnsureTables();
    if (FindWatchRow(m_store, nick)) {
        m_prompts.ShowMessage(this, tr("已在监控 %1。").arg(ShownText(OneLine(Utf8Text(nick)))));
        return std::nullopt;
    }
    WatchRow row;
    row.WWName = nick;
    row.Created = m_clock.Now();
    const std::int32_t id = m_store.AddWatch(row);
    Refresh();
    for (std::size_t i = 0; i < m_watches.size(); ++i) {
        if (m_watches[i].WatchID == id) {
            tblWatches->selectRow(static_cast<int>(i));
        }
    }
    lblState->setText(tr("已加入监控: %1。第一次分析作为基准, 之后每次与上一次完整的分析对比。")
                          .arg(ShownText(OneLine(Utf8Text(nick)))));
    return id;
}

void TFmWatch::btnAddClick() {
    if (AddWatch(edtNick->text())) {
        edtNick->clear();
    }
}

void TFmWatch::btnSaveClick() {
    std::optional<WatchRow> row = ChosenWatch();
    if (!row) {
        return;
    }
    const std::optional<Schedule> schedule =
        Schedule::Parse(cbbEvery->currentText().trimmed().toStdString());
    if (!schedule) {
        m_prompts.ShowMessage(this, tr("分析频率需要 30m、6h、1d 这样的时长 (至少 10 分钟), 或 "
                                       "daily 08:30 这样的每天时刻。"));
        cbbEvery->setFocus();
        return;
    }
    row->Schedule = schedule->Text();
    row->Threads = speThreads->value();
    row->PriceChange = spePrice->value();
    row->PriceDown = chkPriceDown->isChecked() ? 1 : 0;
    row->PriceUp = chkPriceUp->isChecked() ? 1 : 0;
    row->NewItems = chkNew->isChecked() ? 1 : 0;
    row->RemovedItems = chkRemoved->isChecked() ? 1 : 0;
    row->Stock = chkStock->isChecked() ? 1 : 0;
    row->SalesJump = speSalesJump->value();
    m_store.UpdateWatchSettings(*row);
    Refresh();
    lblState->setText(tr("已保存 %1 的监控设置。").arg(ShownText(OneLine(Utf8Text(row->WWName)))));
}

void TFmWatch::btnRemoveClick() {
    const std::optional<WatchRow> row = ChosenWatch();
    if (!row) {
        return;
    }
    // Its analyses stay in the shop tree; only the watch and its alerts go.
    if (!m_prompts.AskYesNo(this, tr("不再监控 %1? 已有的分析保留在店铺列表中。")
                                      .arg(ShownText(OneLine(Utf8Text(row->WWName)))))) {
        return;
    }
    m_store.RemoveWatch(row->WatchID);
    Refresh();
}

void TFmWatch::btnRunNowClick() {
    const std::optional<WatchRow> row = ChosenWatch();
    if (!row) {
        return;
    }
    if (!m_service.RunNow(row->WatchID)) {
        m_prompts.ShowMessage(this, tr("监控正在分析其他店铺, 请稍后再试。"));
        return;
    }
    lblState->setText(tr("正在分析 %1...").arg(ShownText(OneLine(Utf8Text(row->WWName)))));
}

void TFmWatch::btnAckClick() {
    std::vector<std::int32_t> ids;
    for (const AlertRow& alert : m_shownAlerts) {
        if (alert.IsRead == 0) {
            ids.push_back(alert.AlertID);
        }
    }
    if (!ids.empty()) {
        m_store.MarkAlertsRead(ids);
    }
    Refresh();
}

void TFmWatch::OpenAlert(int line) {
    if (line < 0 || static_cast<std::size_t>(line) >= m_shownAlerts.size()) {
        return;
    }
    const AlertRow alert = m_shownAlerts[static_cast<std::size_t>(line)];
    if (alert.IsRead == 0) {
        m_store.MarkAlertsRead({alert.AlertID});
    }
    Refresh();
    if (alert.OlderSID.empty() || alert.NewerSID.empty()) {
        // A failed first run has nothing to compare with: the reason is all there is.
        m_prompts.ShowMessage(this, ShownText(Utf8Text(alert.Text)));
        return;
    }
    emit openComparison(QString::fromStdString(alert.OlderSID),
                        QString::fromStdString(alert.NewerSID),
                        QString::fromStdString(alert.ItemID));
}

void TFmWatch::btnAddChannelClick() {
    ChannelRow row;
    row.Kind = cbbChannelKind->currentData().toString().toStdString();
    row.AddTime = m_clock.Now();
    const std::string address = edtAddress->text().trimmed().toStdString();
    if (row.Kind == "webhook") {
        if (!IsWebhookAddress(address)) {
            m_prompts.ShowMessage(this, tr("群机器人需要 http:// 或 https:// 开头的地址。"));
            edtAddress->setFocus();
            return;
        }
        row.Address = address;
        row.Style = cbbStyle->currentData().toString().toStdString();
    } else {
        const std::optional<SmtpAddress> server = ParseSmtpAddress(address);
        if (!server) {
            m_prompts.ShowMessage(
                this, tr("电子邮件需要 smtps://用户名@邮件服务器[:端口] 这样的邮件服务器地址。"));
            edtAddress->setFocus();
            return;
        }
        const std::string to = edtMailTo->text().trimmed().toStdString();
        if (!IsMailAddress(to)) {
            m_prompts.ShowMessage(this, tr("请填写收件人的邮件地址, 如 boss@example.com。"));
            edtMailTo->setFocus();
            return;
        }
        // Kept apart from the address, which is shown.
        row.Address = ShownAddress(address);
        row.Password =
            edtPassword->text().isEmpty() ? server->password : edtPassword->text().toStdString();
        row.MailTo = to;
    }
    EnsureTables();
    m_store.AddChannel(row);
    edtAddress->clear();
    edtMailTo->clear();
    edtPassword->clear();
    Refresh();
}

void TFmWatch::btnRemoveChannelClick() {
    const int line = lstChannels->currentRow();
    if (line < 0 || static_cast<std::size_t>(line) >= m_channels.size()) {
        m_prompts.ShowMessage(this, tr("请先选择一个提醒渠道。"));
        return;
    }
    const ChannelRow row = m_channels[static_cast<std::size_t>(line)];
    if (!m_prompts.AskYesNo(
            this, tr("删除提醒渠道 %1?").arg(Utf8Text(ChannelTag(ChannelFromRow(row)))))) {
        return;
    }
    m_store.RemoveChannel(row.ChannelID);
    Refresh();
}

void TFmWatch::btnTestChannelClick() {
    const int line = lstChannels->currentRow();
    if (line < 0 || static_cast<std::size_t>(line) >= m_channels.size()) {
        m_prompts.ShowMessage(this, tr("请先选择一个提醒渠道。"));
        return;
    }
    const ChannelConfig channel = ChannelFromRow(m_channels[static_cast<std::size_t>(line)]);
    // Once, at once: the user is waiting for the answer.
    RetryPolicy once;
    once.attempts = 1;
    DeliveryResult result;
    {
        WaitCursor hourglass;
        try {
            result = Deliver(*MakeChannel(channel), TestNotice(), once, {});
        } catch (const std::exception& error) {
            result.error = error.what();
        }
    }
    const QString tag = Utf8Text(ChannelTag(channel));
    m_prompts.ShowMessage(
        this, result.delivered ? tr("%1 已送达。").arg(tag)
                               : tr("%1 发送失败: %2").arg(tag, ShownText(Utf8Text(result.error))));
}

}  // namespace tarnwick
