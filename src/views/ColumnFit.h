#pragma once

#include <vector>

#include <QObject>
#include <QString>

class QTableView;

namespace tarnwick {

// How one column takes its part of a grid's width.
struct FitColumn {
    QString sample;  // a text the column shows whole (a time, a price); empty for none
    int least = 0;   // the narrowest the column is made, whatever its title and sample
    int share = 0;   // above 0: the column takes this share of the width left over
};

// Fits a grid's columns to its width: no column narrower than its title, its sample or its
// least width, and the columns with a share divide what is left. Follows the grid's width until
// the user sizes a column or Keep is called. A grid too narrow for the columns' least widths
// scrolls sideways rather than cutting every text short.
class ColumnFit : public QObject {
    Q_OBJECT

public:
    // Owned by the grid, whose model must have one column per entry.
    ColumnFit(QTableView& grid, std::vector<FitColumn> columns);

    void Keep() { m_kept = true; }
    bool Kept() const { return m_kept; }
    // The grid width that shows every column at its least: frame, row indicator and the scroll
    // bar's room included.
    int LeastGridWidth() const;
    void Fit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<int> LeastWidths() const;
    int ScrollBarRoom() const;

    QTableView& m_grid;
    std::vector<FitColumn> m_columns;
    bool m_kept = false;
    bool m_fitting = false;
};

}  // namespace tarnwick
