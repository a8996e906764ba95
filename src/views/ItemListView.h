#pragma once

#include <optional>

#include <QTableView>

#include "store/Rows.h"
#include "views/ItemListModel.h"

namespace tarnwick {

// The item list `lst`: one line per stored item over a model of its own, so that ten thousand
// items cost one model reset rather than a widget per cell.
class ItemListView : public QTableView {
    Q_OBJECT

public:
    explicit ItemListView(QWidget* parent = nullptr);

    ItemListModel& Model() { return *m_model; }
    const ItemListModel& Model() const { return *m_model; }

    // The item whose line has the focus; none right after a fill.
    std::optional<ItemRow> FocusedItem() const;
    // Moves the focus to a line, as a click on it would.
    void FocusRow(int row);

signals:
    // The focused line changed, by mouse or keyboard.
    void FocusedItemChanged();

private:
    ItemListModel* m_model;  // owned as a child object
};

}  // namespace tarnwick
