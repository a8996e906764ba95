#pragma once

#include <vector>

#include <QString>
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
    // Per column, a text the column must show whole (a time, a price), or empty for a column
    // that shares what is left. From then on the columns fill the grid's width, until the user
    // sizes one of them or KeepColumnWidths is called.
    void FitColumnsToWidth(std::vector<QString> samples);
    void KeepColumnWidths() { m_userSized = true; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitColumns();

    std::vector<int> m_widths;  // the starting widths, kept as the shares of the text columns
    std::vector<QString> m_samples;
    bool m_userSized = false;
    bool m_fitting = false;
};

}  // namespace tarnwick
