#pragma once

#include <vector>

#include <QTableView>

#include "views/ColumnFit.h"

namespace tarnwick {

// The look and behaviour both detail grids share: column titles, a row indicator, grid lines,
// columns the user can resize, whole-row selection, no editing.
class DetailGrid : public QTableView {
    Q_OBJECT

public:
    explicit DetailGrid(QWidget* parent = nullptr);

    // Sets the model and the columns' starting widths.
    void SetModelWithWidths(QAbstractItemModel* model, const std::vector<int>& widths);
    // From then on the columns fill the grid's width as the entries say, until the user sizes
    // one of them or KeepColumnWidths is called.
    void FitColumnsToWidth(std::vector<FitColumn> columns);
    void KeepColumnWidths();
    // The width that shows every column at its least; 0 before FitColumnsToWidth.
    int LeastWidth() const;

private:
    ColumnFit* m_fit = nullptr;  // owned as a child object
};

}  // namespace tarnwick
