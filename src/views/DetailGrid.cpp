#include "views/DetailGrid.h"

#include <algorithm>

#include <QHeaderView>
#include <QScrollBar>

#include "views/GridSetup.h"

namespace tarnwick {

namespace {
// Room for the cell's margins on both sides of a sample text.
constexpr int kCellPadding = 14;
}  // namespace

DetailGrid::DetailGrid(QWidget* parent) : QTableView(parent) {
    SetUpRowGrid(*this);
    verticalHeader()->setDefaultAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (!m_fitting) {
            m_userSized = true;
        }
    });
}

void DetailGrid::SetModelWithWidths(QAbstractItemModel* model, const std::vector<int>& widths) {
    setModel(model);
    m_widths = widths;
    m_fitting = true;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        setColumnWidth(static_cast<int>(i), widths[i]);
    }
    m_fitting = false;
}

void DetailGrid::FitColumnsToWidth(std::vector<QString> samples) {
    m_samples = std::move(samples);
    m_userSized = false;
    FitColumns();
}

void DetailGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    if (!m_userSized) {
        FitColumns();
    }
}

void DetailGrid::FitColumns() {
    const int columns = model() ? model()->columnCount() : 0;
    if (columns == 0 || m_samples.size() != static_cast<std::size_t>(columns) ||
        m_widths.size() != m_samples.size()) {
        return;
    }
    // The scroll bar's room is kept free even while it is hidden, so that the columns do not
    // jump when enough rows arrive to show it.
    int available = viewport()->width();
    if (!verticalScrollBar()->isVisible()) {
        available -= style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    }
    std::vector<int> widths(m_samples.size());
    int fixed = 0;
    int shares = 0;
    for (int i = 0; i < columns; ++i) {
        const int least = horizontalHeader()->sectionSizeHint(i);
        const QString& sample = m_samples[static_cast<std::size_t>(i)];
        if (sample.isEmpty()) {
            widths[i] = least;
            shares += m_widths[static_cast<std::size_t>(i)];
        } else {
            widths[i] = std::max(least, fontMetrics().horizontalAdvance(sample) + kCellPadding);
        }
        fixed += widths[i];
    }
    int spare = available - fixed;
    if (spare > 0 && shares > 0) {
        int given = 0;
        int last = -1;
        for (int i = 0; i < columns; ++i) {
            if (m_samples[static_cast<std::size_t>(i)].isEmpty()) {
                const int extra = spare * m_widths[static_cast<std::size_t>(i)] / shares;
                widths[i] += extra;
                given += extra;
                last = i;
            }
        }
        widths[last] += spare - given;
    }
    m_fitting = true;
    for (int i = 0; i < columns; ++i) {
        setColumnWidth(i, widths[i]);
    }
    m_fitting = false;
}

}  // namespace tarnwick
