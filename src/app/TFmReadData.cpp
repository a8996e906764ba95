#include "app/TFmReadData.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>

#include "app/GuardedCall.h"
#include "app/UserPrompts.h"
#include "views/CellText.h"

namespace tarnwick {

namespace {

constexpr int kClientWidth = 449;
constexpr int kClientHeight = 370;
constexpr int kFieldHeight = 21;

template <typename Widget>
Widget* Place(Widget* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(name);
    widget->setGeometry(left, top, width, height);
    return widget;
}

}  // namespace

TFmReadData::TFmReadData(std::string databasePath, Endpoints endpoints, UserPrompts& prompts,
                         const Clock& clock, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_prompts(prompts),
      m_owner(*this, [this](const std::exception& error) {
          m_prompts.ShowError(this, QString::fromUtf8(error.what()));
      }) {
    setObjectName("TFmReadData");
    setWindowTitle(QStringLiteral("分析店铺"));
    setFixedSize(kClientWidth, kClientHeight);
    setModal(true);

    cbbInputType = Place(new QComboBox(this), "cbbInputType", 16, 24, 89, kFieldHeight);
    cbbInputType->addItem(QStringLiteral("掌柜名称"));
    // The input is always a shopkeeper nick; the list only says so.
    cbbInputType->setEnabled(false);
    edtInput = Place(new QLineEdit(this), "edtInput", 112, 24, 321, kFieldHeight);
    lblThrCount =
        Place(new QLabel(QStringLiteral("设置线程数"), this), "lblThrCount", 16, 56, 73, 16);
    edtThrCount = Place(new QSpinBox(this), "edtThrCount", 16, 72, 65, kFieldHeight);
    edtThrCount->setRange(AcquisitionController::kMinThreads, AcquisitionController::kMaxThreads);
    edtThrCount->setValue(AcquisitionController::kDefaultThreads);
    btnStart = Place(new QPushButton(QStringLiteral("开始分析"), this), "btnStart", 96, 67, 75, 25);
    btnStop = Place(new QPushButton(QStringLiteral("停止分析"), this), "btnStop", 184, 67, 75, 25);
    btnMinimize =
        Place(new QPushButton(QStringLiteral("最小化"), this), "btnMinimize", 272, 67, 75, 25);
    btnClose = Place(new QPushButton(QStringLiteral("关闭"), this), "btnClose", 360, 67, 75, 25);
    mmoLog = Place(new QPlainTextEdit(this), "mmoLog", 16, 104, 417, 249);
    mmoLog->setReadOnly(true);
    mmoLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    mmoLog->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmoLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    // Enter in the nick field starts the run, as the first button of the form would.
    btnStart->setDefault(true);
    for (QPushButton* button : {btnStop, btnMinimize, btnClose}) {
        button->setAutoDefault(false);
    }
    setTabOrder(edtInput, edtThrCount);

    OnClick(btnStart, &TFmReadData::btnStartClick);
    OnClick(btnStop, &TFmReadData::btnStopClick);
    OnClick(btnMinimize, &TFmReadData::btnMinimizeClick);
    OnClick(btnClose, &TFmReadData::btnCloseClick);

    RunObserver& observer = *this;
    m_controller = std::make_unique<AcquisitionController>(
        m_owner, observer, std::move(databasePath), std::move(endpoints), clock);
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

void TFmReadData::FormShow() {
    edtInput->clear();
    cbbInputType->setCurrentIndex(0);
    m_controller->Reset();
    edtInput->setFocus();
}

void TFmReadData::btnStartClick() {
    const std::string input = edtInput->text().toStdString();
    switch (m_controller->Start(input, edtThrCount->value())) {
        case AcquisitionController::StartResult::Started:
            break;
        case AcquisitionController::StartResult::BlankInput:
            m_prompts.ShowInfoBox(this,
                                  QString::fromUtf8(AcquisitionController::kBlankInputNotice));
            break;
        case AcquisitionController::StartResult::UnencodableNick:
            m_prompts.ShowInfoBox(this,
                                  QString::fromUtf8(AcquisitionController::kUnencodableNickNotice));
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
    mmoLog->appendPlainText(Utf8Text(line));
}

void TFmReadData::LogCleared() {
    mmoLog->clear();
}

void TFmReadData::RunningChanged(bool running) {
    btnStart->setEnabled(!running);
    btnStop->setEnabled(running);
}

}  // namespace tarnwick
