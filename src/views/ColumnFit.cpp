#include "views/ColumnFit.h"

#include <algorithm>

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>

namespace tarnwick {

namespace {
// Room for the cell's margins on both sides of a sample text.
constexpr int kCellPadding = 12;
}  // namespace

ColumnFit::ColumnFit(QTableView& grid, std::vector<FitColumn> columns)
    : QObject(&grid), m_grid(grid), m_columns(std::move(columns)) {
    setObjectName(QStringLiteral("columnFit"));
    // The viewport, not the grid: its width is settled only after the grid has laid out its
    // scroll bars and headers.
    m_grid.viewport()->installEventFilter(this);
    connect(m_grid.horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (!m_fitting) {
            m_kept = true;
        }
    });
    // The sorted column's title gains an arrow. Queued, because a header's restored state
    // reports its sort order before its owner has had the chance to keep its restored widths.
    connect(
        m_grid.horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
        [this] {
            if (!m_kept) {
                Fit();
            }
        },
        Qt::QueuedConnection);
    Fit();
}

bool ColumnFit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_grid.viewport() && event->type() == QEvent::Resize && !m_kept) {
        Fit();
    }
    return QObject::eventFilter(watched, event);
}

std::vector<int> ColumnFit::LeastWidths() const {
    const QHeaderView& header = *m_grid.horizontalHeader();
    const int headerMargin = m_grid.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header);
    std::vector<int> widths(m_columns.size());
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        const FitColumn& column = m_columns[i];
        const int section = static_cast<int>(i);
        // Qt's hint is generous, and keeps room for a sort arrow in every title though only the
        // sorted column shows one; on a grid of short figures that room is what pushes the last
        // columns out of sight. The caption itself and its margins are what a title needs.
        int title = header.sectionSizeHint(section);
        if (!header.isSortIndicatorShown() || header.sortIndicatorSection() != section) {
            const QString caption = m_grid.model()->headerData(section, Qt::Horizontal).toString();
            title = std::min(title, header.fontMetrics().horizontalAdvance(caption) +
                                        2 * headerMargin + kCellPadding / 2);
        }
        int width = std::max(column.least, title);
        if (!column.sample.isEmpty()) {
            width = std::max(width,
                             m_grid.fontMetrics().horizontalAdvance(column.sample) + kCellPadding);
        }
        widths[i] = width;
    }
    return widths;
}

int ColumnFit::ScrollBarRoom() const {
    return m_grid.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &m_grid);
}

int ColumnFit::LeastGridWidth() const {
    int width = 2 * m_grid.frameWidth() + ScrollBarRoom();
    for (int least : LeastWidths()) {
        width += least;
    }
    const QHeaderView* rows = m_grid.verticalHeader();
    if (!rows->isHidden()) {
        // Before rows arrive the indicator has no width; two digits is what it soon needs.
        const int twoDigits = m_grid.fontMetrics().horizontalAdvance(QStringLiteral("00")) +
                              2 * m_grid.style()->pixelMetric(QStyle::PM_HeaderMargin);
        width += std::max(rows->sizeHint().width(), twoDigits);
    }
    return width;
}

void ColumnFit::Fit() {
    const int count = m_grid.model() ? m_grid.model()->columnCount() : 0;
    if (count == 0 || static_cast<std::size_t>(count) != m_columns.size()) {
        return;
    }
    // The scroll bar's room is kept free even while it is hidden, so that the columns do not
    // jump when enough rows arrive to show it.
    int available = m_grid.viewport()->width();
    if (!m_grid.verticalScrollBar()->isVisible()) {
        available -= ScrollBarRoom();
    }
    std::vector<int> widths = LeastWidths();
    int used = 0;
    int shares = 0;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        used += widths[i];
        shares += m_columns[i].share;
    }
    const int spare = available - used;
    if (spare > 0 && shares > 0) {
        int given = 0;
        std::size_t last = 0;
        for (std::size_t i = 0; i < widths.size(); ++i) {
            if (m_columns[i].share > 0) {
                const int extra = spare * m_columns[i].share / shares;
                widths[i] += extra;
                given += extra;
                last = i;
            }
        }
        widths[last] += spare - given;
    }
    m_fitting = true;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        m_grid.setColumnWidth(static_cast<int>(i), widths[i]);
    }
    m_fitting = false;
}

}  // namespace tarnwick
