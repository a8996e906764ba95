#pragma once

#include <cstddef>
#include <vector>

#include <QSplitter>
#include <QString>

#include "store/Rows.h"
#include "views/RowTableModel.h"

class QLabel;

namespace tarnwick {

class DetailGrid;

// "共有 N 条记录. 总额 S 元。", S with two decimals.
QString BuyerCountText(std::size_t count, double total);
// "共有 N 条记录."
QString CommentCountText(std::size_t count);

// The band under the item list, `rpnlDetail`: the focused item's deal records on the left and
// its reviews in a resizable part on the right, each grid with its count line.
class DetailLists : public QSplitter {
    Q_OBJECT

public:
    explicit DetailLists(QWidget* parent = nullptr);

    // The grid and its count line; the total adds each row's price once, whatever its amount.
    void ShowBuyers(std::vector<BuyerRow> buyers);
    void ShowRates(std::vector<RateRow> rates);
    // Empties the review grid and leaves its count line as it was.
    void ClearRates();
    void ClearLabels();
    // Both grids and both count lines empty, as before the first item was focused.
    void Clear();

    QWidget* BuyerGrid() const;
    QWidget* RateGrid() const;
    const RowTableModel<BuyerRow>& Buyers() const { return *m_buyers; }
    const RowTableModel<RateRow>& Rates() const { return *m_rates; }
    QString BuyerCountLabel() const;
    QString CommentCountLabel() const;

    // The user's (or the remembered) division between the two parts stays from now on.
    void KeepSizes() { m_sizesKept = true; }

signals:
    // Enter or a double click on a row of a grid.
    void BuyerActivated(int row);
    void RateActivated(int row);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void DivideWidth();

    // Owned as children of this widget.
    RowTableModel<BuyerRow>* m_buyers;
    RowTableModel<RateRow>* m_rates;
    DetailGrid* dbgBuyerList;
    DetailGrid* dbgRateList;
    QLabel* lblBuyerCount;
    QLabel* lblCommentCount;
    bool m_sizesKept = false;
};

}  // namespace tarnwick
