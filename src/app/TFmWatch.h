#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <QDialog>

#include "store/WatchRows.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;

namespace tarnwick {

class Clock;
class Store;
class UserPrompts;
class WatchService;

// "监控": the watched shops with where their runs left them, the alerts they raised, and the
// places alerts go. Everything is on the window itself, no box in between, so that adding a
// watch, changing how often it runs or opening an alert is a few keys.
class TFmWatch : public QDialog {
    Q_OBJECT

public:
    TFmWatch(Store& store, WatchService& service, UserPrompts& prompts, const Clock& clock,
             QWidget* parent = nullptr);

    // Reads the watches, the alerts and the channels again, keeping the chosen watch.
    void Refresh();
    // Adds a watch of that nick with the settings a seller would choose, or says why not; the
    // tree menu's "加入监控" comes here. Returns the watch's id, or nothing.
    std::optional<std::int32_t> AddWatch(const QString& nick);
    // The watch on the chosen line of the watch list.
    std::optional<WatchRow> ChosenWatch() const;
    // The alerts as the alert list shows them, filters applied.
    const std::vector<AlertRow>& ShownAlerts() const { return m_shownAlerts; }
    // Opens the alert on that line of the alert list, as a double click does.
    void OpenAlert(int line);

    QTableWidget& WatchTable() { return *tblWatches; }
    QTableWidget& AlertTable() { return *tblAlerts; }
    QTabWidget& Tabs() { return *tabs; }

signals:
    // The comparison of the two runs behind an alert, at its item (empty for a failed run).
    void openComparison(const QString& olderSid, const QString& newerSid, const QString& itemId);

private:
    QWidget* BuildWatchPage();
    QWidget* BuildAlertPage();
    QWidget* BuildChannelPage();
    void OnClick(QAbstractButton* button, void (TFmWatch::*handler)());
    void EnsureTables();
    void ShowWatches();
    void ShowChosenSettings();
    void ShowAlerts();
    void ShowChannels();
    void btnAddClick();
    void btnSaveClick();
    void btnRemoveClick();
    void btnRunNowClick();
    void btnAckClick();
    void btnAddChannelClick();
    void btnRemoveChannelClick();
    void btnTestChannelClick();

    Store& m_store;
    WatchService& m_service;
    UserPrompts& m_prompts;
    const Clock& m_clock;
    std::vector<WatchRow> m_watches;
    std::vector<AlertRow> m_alerts;
    std::vector<AlertRow> m_shownAlerts;
    std::vector<ChannelRow> m_channels;

    QTabWidget* tabs = nullptr;
    QLabel* lblState = nullptr;
    // The watch list and the chosen watch's settings.
    QTableWidget* tblWatches = nullptr;
    QLineEdit* edtNick = nullptr;
    QPushButton* btnAdd = nullptr;
    QComboBox* cbbEvery = nullptr;
    QSpinBox* speThreads = nullptr;
    QDoubleSpinBox* spePrice = nullptr;
    QCheckBox* chkPriceDown = nullptr;
    QCheckBox* chkPriceUp = nullptr;
    QCheckBox* chkNew = nullptr;
    QCheckBox* chkRemoved = nullptr;
    QCheckBox* chkStock = nullptr;
    QSpinBox* speSalesJump = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnRemove = nullptr;
    QPushButton* btnRunNow = nullptr;
    // The alerts.
    QTableWidget* tblAlerts = nullptr;
    QCheckBox* chkUnread = nullptr;
    QComboBox* cbbKind = nullptr;
    QCheckBox* chkChosenShop = nullptr;
    QPushButton* btnAck = nullptr;
    // Where alerts go.
    QListWidget* lstChannels = nullptr;
    QComboBox* cbbChannelKind = nullptr;
    QLineEdit* edtAddress = nullptr;
    QComboBox* cbbStyle = nullptr;
    QLineEdit* edtMailTo = nullptr;
    QLineEdit* edtPassword = nullptr;
    QPushButton* btnAddChannel = nullptr;
    QPushButton* btnRemoveChannel = nullptr;
    QPushButton* btnTestChannel = nullptr;
};

}  // namespace tarnwick
