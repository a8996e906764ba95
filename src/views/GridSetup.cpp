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
    // Tab leaves the grid for the window's next part; the arrow keys move within it.
    view.setTabKeyNavigation(false);
    view.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view.horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view.horizontalHeader()->setHighlightSections(false);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(view.fontMetrics().height() + 6);
}

}  // namespace tarnwick
