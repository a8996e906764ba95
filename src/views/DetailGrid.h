#pragma once

#include <vector>

#include <QTableView>

namespace tarnwick {

// The look and behaviour both detail grids share: column titles, a row indicator, grid lines,
// columns the user can resize, whole-row selection, no editing.
class DetailGrid : public QTableView {
    Q_OBJECT

public:
    explicit DetailGrid(QWidget* parent = nullptr);

    // Sets the model and the columns' starting widths.
    void SetModelWithWidths(QAbstractItemModel* model, const std::vector<int>& widths);
};

}  // namespace tarnwick
