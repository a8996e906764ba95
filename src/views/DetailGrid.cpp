#include "views/DetailGrid.h"

#include <QHeaderView>

namespace tarnwick {

DetailGrid::DetailGrid(QWidget* parent) : QTableView(parent) {
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    // Rows of one fixed height: a deal list of tens of thousands of rows is laid out without
    // measuring a single one.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void DetailGrid::SetModelWithWidths(QAbstractItemModel* model, const std::vector<int>& widths) {
    setModel(model);
    for (std::size_t i = 0; i < widths.size(); ++i) {
        setColumnWidth(static_cast<int>(i), widths[i]);
    }
}

}  // namespace tarnwick
