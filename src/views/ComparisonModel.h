#pragma once

#include <vector>

#include <QAbstractTableModel>
#include <QColor>

#include "analysis/RunComparison.h"
#include "export/ItemSheet.h"

namespace tarnwick {

// The items of a comparison, one line each, with the columns the exports write. Lines carry
// their state in colour: a new item on a light blue ground, a removed one in grey, a price cut
// green and a rise red.
class ComparisonModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // The value a column sorts by: numbers as numbers, with the empty cell of an item listed
    // in one run only below every number.
    static constexpr int kSortRole = Qt::UserRole + 1;

    static const QColor kNewBackground;
    static const QColor kRemovedText;
    static const QColor kCutText;
    static const QColor kCutBackground;
    static const QColor kRiseText;
    static const QColor kRiseBackground;

    explicit ComparisonModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void Fill(std::vector<ItemComparison> items);
    int Count() const { return static_cast<int>(m_items.size()); }
    const ItemComparison& Item(int row) const { return m_items.at(static_cast<std::size_t>(row)); }
    const std::vector<ItemComparison>& Items() const { return m_items; }

private:
    // Each line's cells, made once per fill: sorting asks for them many times over.
    const SheetCell& Cell(int row, int column) const;

    std::vector<ItemComparison> m_items;
    std::vector<std::vector<SheetCell>> m_cells;
};

}  // namespace tarnwick
