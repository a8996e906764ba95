#include "app/TFmReadData.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QShortcut>
#include <QShowEvent>
#include <QSpinBox>
#include <QTimer>

#include <algorithm>
#include <string_view>

#include "app/ButtonKeys.h"
#include "app/GuardedCall.h"
#include "app/UserPrompts.h"
#include "base/Clock.h"
#include "views/CellText.h"
#include "views/PlainText.h"
#include "views/SystemText.h"

namespace tarnwick {

namespace {

constexpr int kClientWidth = 449;
constexpr int kClientHeight = 370;
constexpr int kFieldHeight = 21;
constexpr std::chrono::milliseconds kProgressInterval{250};

template <typename Widget>
Widget* Place(Widget* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(name);
    widget->setGeometry(left, top, width, height);
    return widget;
}

}  // namespace

TFmReadData::TFmReadData(StoreSource store, Endpoints endpoints, UserPrompts& prompts,
                         const Clock& clock, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_prompts(prompts),
      m_clock(clock),
      m_owner(*this, [this](const std::exception& error) {
          m_prompts.ShowError(this, SystemText(QString::fromUtf8(error.what())));
      }) {
    setObjectName("TFmReadData");
    setWindowTitle(tr("分析店铺"));
    // The form's size at first; larger, the log gets the room, so its long lines can be read.
    setMinimumSize(kClientWidth, kClientHeight);
    resize(kClientWidth, kClientHeight);
    setSizeGripEnabled(true);
    setModal(true);

    cbbInputType = Place(new QComboBox(this), "cbbInputType", 16, 24, 89, kFieldHeight);
    cbbInputType->addItem(tr("掌柜名称"));
    // The input is always a shopkeeper nick; the list only says so.
    cbbInputType->setEnabled(false);
    cbbNick = Place(new QComboBox(this), "cbbNick", 112, 24, 321, kFieldHeight);
    cbbNick->setEditable(true);
    // A nick typed and started is not added here: the list is the stored runs' nicks.
    cbbNick->setInsertPolicy(QComboBox::NoInsert);
    cbbNick->setMaxVisibleItems(12);
    edtInput = cbbNick->lineEdit();
    edtInput->setObjectName("edtInput");
    // A nick is typed exactly; suggestions would put another shop's nick in its place.
    cbbNick->setCompleter(nullptr);
    lblThrCount = Place(new QLabel(tr("设置线程数"), this), "lblThrCount", 16, 56, 73, 16);
    edtThrCount = Place(new QSpinBox(this), "edtThrCount", 16, 72, 65, kFieldHeight);
    edtThrCount->setRange(AcquisitionController::kMinThreads, AcquisitionController::kMaxThreads);
    edtThrCount->setValue(AcquisitionController::kDefaultThreads);
    btnStart =
        Keyed(Place(new QPushButton(tr("开始分析"), this), "btnStart", 96, 67, 75, 25), Qt::Key_S);
    btnStop =
        Keyed(Place(new QPushButton(tr("停止分析"), this), "btnStop", 184, 67, 75, 25), Qt::Key_P);
    btnMinimize = Keyed(Place(new QPushButton(tr("最小化"), this), "btnMinimize", 272, 67, 75, 25),
                        Qt::Key_M);
    btnClose =
        Keyed(Place(new QPushButton(tr("关闭"), this), "btnClose", 360, 67, 75, 25), Qt::Key_C);
    mmoLog = Place(new QPlainTextEdit(this), "mmoLog", 16, 104, 417, 249);
    mmoLog->setReadOnly(true);
    mmoLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    mmoLog->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmoLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // In the free strip between the nick and the buttons, so that no control of the form moves.
    lblProgress = Place(new QLabel(this), "lblProgress", 96, 47, 337, 18);
    lblProgress->setTextFormat(Qt::PlainText);
    // The workers count on their own threads; the figure is read a few times a second while
    // the dialog is shown rather than handed over per item.
    m_progressTimer = new QTimer(this);
    m_progressTimer->setInterval(kProgressInterval);
    connect(m_progressTimer, &QTimer::timeout, this, &TFmReadData::ShowProgress);

    // Enter in the nick field starts the run, as the first button of the form would.
    btnStart->setDefault(true);
    for (QPushButton* button : {btnStop, btnMinimize, btnClose}) {
        button->setAutoDefault(false);
    }
    setTabOrder(edtInput, edtThrCount);
    // The label's 73 pixels hold no "(&T)"; Alt+T reaches the thread count all the same.
    lblThrCount->setBuddy(edtThrCount);
    auto* threads = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_T), this);
    connect(threads, &QShortcut::activated, edtThrCount, [this] { edtThrCount->setFocus(); });

    OnClick(btnStart, &TFmReadData::btnStartClick);
    OnClick(btnStop, &TFmReadData::btnStopClick);
    OnClick(btnMinimize, &TFmReadData::btnMinimizeClick);
    OnClick(btnClose, &TFmReadData::btnCloseClick);

    RunObserver& observer = *this;
    m_controller = std::make_unique<AcquisitionController>(m_owner, observer, std::move(store),
                                                           std::move(endpoints), clock);
    m_controller->Reset();
}

TFmReadData::~TFmReadData() {
    m_controller.reset();
}

void TFmReadData::OnClick(QPushButton* button, void (TFmReadData::*handler)()) {
    connect(button, &QPushButton::clicked, this, [this, handler] {
        RunGuarded(m_prompts, this, [this, handler] { (this->*handler)(); });
    });
}

void TFmReadData::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A window coming back from the minimised state is not a new show.
    if (!event->spontaneous()) {
        RunGuarded(m_prompts, this, [this] { FormShow(); });
    }
}

void TFmReadData::SetRecentNicks(const QStringList& nicks) {
    m_recentNicks = nicks;
}

void TFmReadData::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // The form's controls keep their places; the nick and the log take the new room.
    const int right = width() - 16;
    cbbNick->resize(right - cbbNick->x(), cbbNick->height());
    lblProgress->resize(right - lblProgress->x(), lblProgress->height());
    mmoLog->resize(right - mmoLog->x(), height() - 17 - mmoLog->y());
}

void TFmReadData::FormShow() {
    cbbNick->clear();
    cbbNick->addItems(m_recentNicks);
    cbbNick->setCurrentIndex(-1);
    cbbInputType->setCurrentIndex(0);
    // One run at a time: while one goes on, the dialog shows that run (its nick, its log and
    // its counter) and it can be stopped, not started again.
    std::shared_ptr<Run> run = m_controller->CurrentRun();
    if (run && !run->Completed()) {
        edtInput->setText(Utf8Text(run->Nick()));
        btnStart->setEnabled(false);
        btnStop->setEnabled(true);
    } else {
        edtInput->clear();
        m_controller->Reset();
    }
    ShowProgress();
    m_progressTimer->start();
    edtInput->setFocus();
}

void TFmReadData::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    // Minimised is still shown as far as the run's figure is concerned.
    if (!event->spontaneous()) {
        m_progressTimer->stop();
    }
}

void TFmReadData::ShowProgress() {
    lblProgress->setText(ProgressText());
}

QString TFmReadData::ProgressText() const {
    std::shared_ptr<Run> run = m_controller->CurrentRun();
    if (!run) {
        return {};
    }
    const RunTotals totals = run->Totals();
    // The control thread's own end report, sent when it started nothing, is no item.
    const int done = std::min(totals.downloadsEnded, totals.itemsQueued);
    return tr("已完成 %1 / %2 个宝贝").arg(done).arg(totals.itemsQueued);
}

void TFmReadData::btnStartClick() {
    const std::string input = edtInput->text().toStdString();
    switch (m_controller->Start(input, edtThrCount->value())) {
        case AcquisitionController::StartResult::Started:
            break;
        case AcquisitionController::StartResult::BlankInput:
            // The core's text, marked here so that it is translated with the dialog's own.
            static_assert(
                std::string_view(AcquisitionController::kBlankInputNotice) ==
                QT_TRANSLATE_NOOP("tarnwick::TFmReadData", "请先输入要分析的同行旺旺名或地址!"));
            m_prompts.ShowInfoBox(this, tr(AcquisitionController::kBlankInputNotice));
            break;
        case AcquisitionController::StartResult::UnencodableNick:
            m_prompts.ShowInfoBox(this, tr(AcquisitionController::kUnencodableNickNotice));
            break;
    }
}

void TFmReadData::btnStopClick() {
    m_controller->Stop();
}

void TFmReadData::btnMinimizeClick() {
    emit minimizeRequested();
}

void TFmReadData::btnCloseClick() {
    reject();
}

void TFmReadData::LogLineAdded(const std::string& line) {
    // "hh:mm:ss text", or the intro line without a time: the text in the interface's language.
    QString shown = ShownText(Utf8Text(line));
    static const QRegularExpression timed(QStringLiteral("^(\\d\\d:\\d\\d:\\d\\d )(.*)$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    if (const QRegularExpressionMatch match = timed.match(shown); match.hasMatch()) {
        shown = match.captured(1) + SystemText(match.captured(2));
    } else {
        shown = SystemText(shown);
    }
    mmoLog->appendPlainText(shown);
}

void TFmReadData::LogCleared() {
    mmoLog->clear();
}

void TFmReadData::RunningChanged(bool running) {
    btnStart->setEnabled(!running);
    btnStop->setEnabled(running);
    ShowProgress();
    // A reset at a show says idle while the earlier run may still go on: only a start and
    // the run's own end change what the main window says of it.
    std::shared_ptr<Run> run = m_controller->CurrentRun();
    const bool goesOn = running || (run && !run->Completed());
    if (goesOn != m_running) {
        m_running = goesOn;
        emit runningChanged(goesOn);
    }
}

void TFmReadData::RunCompleted() {
    std::shared_ptr<Run> run = m_controller->CurrentRun();
    if (!run) {
        return;
    }
    // Ours, after the run's own last lines: what it stored and what it cost.
    const RunTotals totals = run->Totals();
    const double seconds = std::max(0.0, (m_clock.Now().Days() - run->Started().Days()) * 86400.0);
    const auto whole = static_cast<long long>(seconds + 0.5);
    const QString took =
        whole >= 60 ? tr("%1 分 %2 秒").arg(whole / 60).arg(whole % 60) : tr("%1 秒").arg(whole);
    m_controller->AddLogLine(
        tr("本次分析: 宝贝 %1 个, 成交记录 %2 条, 评价 %3 条, 请求 %4 次, 用时 %5.")
            .arg(totals.itemsStored)
            .arg(totals.buyersStored)
            .arg(totals.ratesStored)
            .arg(totals.requests)
            .arg(took)
            .toStdString());
    ShowProgress();
    if (m_running) {
        m_running = false;
        emit runningChanged(false);
    }
    // Said once the log has its last line, and only while the user is looking: a hidden
    // dialog's run tells the tree and the status bar instead.
    const std::string notice = OutcomeNotice(run->OutcomeRow(DateTime()));
    if (!notice.empty() && isVisible()) {
        m_prompts.ShowInfoBox(this, SystemText(Utf8Text(notice)));
    }
}

}  // namespace tarnwick
