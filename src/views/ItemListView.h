#pragma once

#include <optional>
#include <vector>

#include <QTableView>

#include "store/Rows.h"
#include "views/ItemListModel.h"

class QSortFilterProxyModel;

namespace tarnwick {

// What the list shows at the moment: the items left by the window and the title filter.
struct ItemTotals {
    int items = 0;
    int unread = 0;  // shown but not read by the run: in none of the figures
    double sellAmount = 0.0;
    long long stock = 0;
};

// "共 N 个宝贝  销售总额 ¥S  库存 K", and "  未读取 U" when some were not read.
QString ItemTotalsText(const ItemTotals& totals);

// The item list `lst`: one line per stored item over a model of its own, so that ten thousand
// items cost one model reset rather than a widget per cell. A header click sorts the lines
// (序号 gives back the load order) and a title filter hides lines; neither touches the model,
// whose rows stay in load order for the exports and the check buttons.
class ItemListView : public QTableView {
    Q_OBJECT

public:
    explicit ItemListView(QWidget* parent = nullptr);

    ItemListModel& Model() { return *m_model; }
    const ItemListModel& Model() const { return *m_model; }

    // The item whose line has the focus; none right after a fill.
    std::optional<ItemRow> FocusedItem() const;
    // Moves the focus to the line of a model row, as a click on it would.
    void FocusRow(int row);

    // Shows only the items whose title holds the text (any case); blank shows all.
    void SetTitleFilter(const QString& text);
    // Model rows in the order the list shows them.
    std::vector<int> ShownRows() const;
    ItemTotals ShownTotals() const;

signals:
    // The focused line changed, by mouse or keyboard.
    void FocusedItemChanged();
    // Lines were filled, filtered or hidden; the totals of what is shown may differ.
    void ShownRowsChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    ItemListModel* m_model;          // owned as a child object
    QSortFilterProxyModel* m_shown;  // owned as a child object
};

}  // namespace tarnwick
