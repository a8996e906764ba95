#pragma once

class QTableView;

namespace tarnwick {

// What the item list and the detail grids share: grid lines, whole-row single selection, no
// editing by the view itself, resizable columns and rows of one fixed height, so that lists of
// tens of thousands of rows are laid out without measuring a single one.
void SetUpRowGrid(QTableView& view);

}  // namespace tarnwick
