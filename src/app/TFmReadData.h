#pragma once

#include <memory>
#include <string>

#include <QDialog>

#include "acquire/AcquisitionController.h"
#include "acquire/RunObserver.h"
#include "app/QtOwnerThread.h"
#include "fetch/Endpoints.h"
#include "store/StoreSource.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTimer;

namespace tarnwick {

class Clock;
class UserPrompts;

// The analyse-shop dialog: the competitor's nick, the thread count, start and stop, and the
// log of the run. It owns the run state for the life of the program; closing it lets a run go
// on, showing it again starts afresh while that run goes on.
class TFmReadData : public QDialog, private RunObserver {
    Q_OBJECT

public:
    TFmReadData(StoreSource store, Endpoints endpoints, UserPrompts& prompts, const Clock& clock,
                QWidget* parent = nullptr);
    // Ends the runs and waits for their threads (about a second) while this window, which
    // their queued steps are addressed to, still exists.
    ~TFmReadData() override;

    AcquisitionController& Controller() { return *m_controller; }
    // The nicks the drop-down of the nick field offers, the most recent first.
    void SetRecentNicks(const QStringList& nicks);
    // "已完成 n / N 个宝贝" of the run started last; empty before the first start.
    QString ProgressText() const;

signals:
    // "最小化": the whole application is to be minimised, not only this dialog.
    void minimizeRequested();
    // A run was started, or the run started last has ended.
    void runningChanged(bool running);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormShow();
    void btnStartClick();
    void btnStopClick();
    void btnMinimizeClick();
    void btnCloseClick();

    void LogLineAdded(const std::string& line) override;
    void LogCleared() override;
    void RunningChanged(bool running) override;
    void RunCompleted() override;

    void OnClick(QPushButton* button, void (TFmReadData::*handler)());
    void ShowProgress();

    UserPrompts& m_prompts;
    const Clock& m_clock;
    QComboBox* cbbInputType;
    // An editable list of the recent nicks; edtInput is its edit field.
    QComboBox* cbbNick;
    QLineEdit* edtInput;
    QLabel* lblThrCount;
    QSpinBox* edtThrCount;
    QPushButton* btnStart;
    QPushButton* btnStop;
    QPushButton* btnMinimize;
    QPushButton* btnClose;
    QPlainTextEdit* mmoLog;
    QLabel* lblProgress;
    QTimer* m_progressTimer;
    QStringList m_recentNicks;
    bool m_running = false;

    QtOwnerThread m_owner;
    // Declared after the owner thread, so it goes first and its workers never see the owner gone.
    std::unique_ptr<AcquisitionController> m_controller;
};

}  // namespace tarnwick
