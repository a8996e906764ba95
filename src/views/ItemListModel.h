#pragma once

#include <string>
#include <utility>
#include <vector>

#include <QAbstractTableModel>

#include "analysis/RunRecord.h"
#include "export/ItemSheet.h"
#include "store/Rows.h"

namespace tarnwick {

// The rows of the item list as read from the store, each with its check mark and its running
// number (its position in read order, from 1). Only the check column can be changed.
class ItemListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        cxCheck,
        cxIndex,
        cxTitle,
        cxPrice,
        cxSellCount,
        cxallow_quantity,
        cxCommentCount,
        cxpv,
        cxSellAmount,
        cxDataTime,
        kColumnCount
    };
    enum class CheckMode { All = 1, None = 2, Invert = 3 };
    // A cell's value as the list sorts it: numbers as numbers, times as times, the running
    // number as the load order.
    static constexpr int kSortRole = Qt::UserRole + 1;

    explicit ItemListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Replaces every row; all of them come back checked. `record` says which items the run
    // did not read: their lines are greyed, marked "未读取" and left out of the totals.
    void Fill(std::vector<ItemRow> items, const RunRecord& record = {});
    void SetAllChecks(CheckMode mode);
    // The same for the given rows only: the lines a filter leaves in sight.
    void SetAllChecks(CheckMode mode, const std::vector<int>& rows);
    void SetChecked(int row, bool checked);

    int Count() const { return static_cast<int>(m_items.size()); }
    const ItemRow& Item(int row) const { return m_items.at(static_cast<std::size_t>(row)); }
    bool Checked(int row) const { return m_checked.at(static_cast<std::size_t>(row)) != 0; }
    bool Read(int row) const { return m_read.at(static_cast<std::size_t>(row)) != 0; }

    // Every row as the spreadsheet gets it, in list order, each with its check as shown.
    std::vector<std::vector<SheetCell>> SheetRows() const;
    // The given rows, in the given order, each with its running number of the load order.
    std::vector<std::vector<SheetCell>> SheetRows(const std::vector<int>& rows) const;
    // (sid, ItemID) of the checked rows, in list order.
    std::vector<std::pair<std::string, std::string>> CheckedItems() const;
    // Of the checked ones among the given rows, in the given order.
    std::vector<std::pair<std::string, std::string>> CheckedItems(
        const std::vector<int>& rows) const;

private:
    QVariant SortValue(const ItemRow& item, int row, int column) const;

    std::vector<ItemRow> m_items;
    std::vector<char> m_checked;
    std::vector<char> m_read;
};

}  // namespace tarnwick
