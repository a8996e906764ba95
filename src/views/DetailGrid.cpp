#include "views/DetailGrid.h"

#include <QHeaderView>

#include "views/GridSetup.h"

namespace tarnwick {

DetailGrid::DetailGrid(QWidget* parent) : QTableView(parent) {
    SetUpRowGrid(*this);
    verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void DetailGrid::SetModelWithWidths(QAbstractItemModel* model, const std::vector<int>& widths) {
    setModel(model);
    for (std::size_t i = 0; i < widths.size(); ++i) {
        setColumnWidth(static_cast<int>(i), widths[i]);
    }
}

}  // namespace tarnwick
