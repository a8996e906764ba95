#include "views/GridSetup.h"

#include <QHeaderView>
#include <QTableView>

namespace tarnwick {

void SetUpRowGrid(QTableView& view) {
    view.setShowGrid(true);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setWordWrap(false);
    view.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view.horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view.horizontalHeader()->setHighlightSections(false);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(view.fontMetrics().height() + 6);
}

}  // namespace tarnwick
