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

void DetailGrid::FitColumnsToWidth(std::vector<FitColumn> columns) {
    delete m_fit;
    m_fit = new ColumnFit(*this, std::move(columns));
}

void DetailGrid::KeepColumnWidths() {
    if (m_fit) {
        m_fit->Keep();
    }
}

int DetailGrid::LeastWidth() const {
    return m_fit ? m_fit->LeastGridWidth() : 0;
}

}  // namespace tarnwick
