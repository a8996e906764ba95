#include "views/ItemListView.h"

#include <QHeaderView>

#include "views/CheckCellDelegate.h"
#include "views/GridSetup.h"

namespace tarnwick {

ItemListView::ItemListView(QWidget* parent) : QTableView(parent), m_model(new ItemListModel(this)) {
    setModel(m_model);
    setItemDelegateForColumn(ItemListModel::cxCheck, new CheckCellDelegate(this));
    SetUpRowGrid(*this);
    verticalHeader()->hide();
    const auto& columns = ItemListColumns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        setColumnWidth(static_cast<int>(i), columns[i].width);
    }

    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { emit FocusedItemChanged(); });
}

std::optional<ItemRow> ItemListView::FocusedItem() const {
    QModelIndex current = currentIndex();
    if (!current.isValid() || current.row() >= m_model->Count()) {
        return std::nullopt;
    }
    return m_model->Item(current.row());
}

void ItemListView::FocusRow(int row) {
    QModelIndex cell = m_model->index(row, ItemListModel::cxTitle);
    selectionModel()->setCurrentIndex(
        cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(cell);
}

}  // namespace tarnwick
