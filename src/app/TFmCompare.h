#pragma once

#include <string>
#include <vector>

#include <QDialog>

#include "analysis/RunComparison.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;

namespace tarnwick {

class ComparisonFilter;
class ComparisonModel;
class ItemHistoryChart;
class Store;
class UserPrompts;

// A window of its own that sets a run of a shop against an earlier one: the items with their
// state and changes in a sortable table, the shop's totals above it, and the chosen item's
// history over every run of the shop below it. It reads the store only when an item is chosen,
// so the main window stays usable beside it.
class TFmCompare : public QDialog {
    Q_OBJECT

public:
    TFmCompare(Store& store, UserPrompts& prompts, RunComparison comparison,
               QWidget* parent = nullptr);

    // Compares the run `sid` with the run of the same shop before it and shows the window; tells
    // the user and returns null when the run is the shop's first or is no longer stored.
    static TFmCompare* OpenForRun(Store& store, UserPrompts& prompts, const std::string& sid,
                                  QWidget* parent);
    // Compares two given runs (a watched shop's baseline and its new run); tells the user and
    // returns null when either is no longer stored.
    static TFmCompare* OpenForRuns(Store& store, UserPrompts& prompts, const std::string& olderSid,
                                   const std::string& newerSid, QWidget* parent);

    const RunComparison& Comparison() const { return m_comparison; }
    ComparisonModel& Model() { return *m_model; }
    ComparisonFilter& Filter() { return *m_filter; }
    QTableView& Table() { return *tblCompare; }
    ItemHistoryChart& Chart() { return *chtHistory; }
    QString TotalsText() const;

    // Chooses the line of that item, as a click on it would; false when it is not shown.
    bool SelectItem(const std::string& itemId);
    // The items in the order and with the filter the table shows them.
    std::vector<ItemComparison> ShownItems() const;

private:
    static TFmCompare* Show(Store& store, UserPrompts& prompts, const ShopRow& older,
                            const ShopRow& newer, QWidget* parent);
    QWidget* BuildHeader();
    void ShowChosenHistory();
    void btnExportXlsxClick();
    void btnExportCsvClick();

    Store& m_store;
    UserPrompts& m_prompts;
    RunComparison m_comparison;

    ComparisonModel* m_model = nullptr;  // owned as child objects
    ComparisonFilter* m_filter = nullptr;
    QLabel* lblRuns = nullptr;
    QLabel* lblPartial = nullptr;
    QLabel* lblTotals = nullptr;
    QCheckBox* chkChangedOnly = nullptr;
    QPushButton* btnExportXlsx = nullptr;
    QPushButton* btnExportCsv = nullptr;
    QTableView* tblCompare = nullptr;
    ItemHistoryChart* chtHistory = nullptr;
};

}  // namespace tarnwick
