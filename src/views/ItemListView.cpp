#include "views/ItemListView.h"

#include <QHeaderView>

#include "views/CheckCellDelegate.h"

namespace tarnwick {

ItemListView::ItemListView(QWidget* parent) : QTableView(parent), m_model(new ItemListModel(this)) {
    setModel(m_model);
    setItemDelegateForColumn(ItemListModel::cxCheck, new CheckCellDelegate(this));
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    // Fixed row heights let the view place ten thousand lines without measuring each one.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);

    QHeaderView* header = horizontalHeader();
    header->setHighlightSections(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
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
