#pragma once

#include <span>
#include <vector>

#include <QAbstractTableModel>
#include <QCoreApplication>
#include <QString>

#include "views/CellText.h"
#include "views/PlainText.h"

namespace tarnwick {

// One column of a read-only grid over stored rows.
template <typename Row>
struct GridColumn {
    const char* field;  // the table column it shows
    const char* caption;
    int width;  // pixels
    QString (*text)(const Row& row);
    bool alignRight;
};

// A read-only grid model over a vector of rows: filling it is one move and one reset, however
// many rows there are.
template <typename Row>
class RowTableModel : public QAbstractTableModel {
public:
    RowTableModel(std::span<const GridColumn<Row>> columns, QObject* parent = nullptr)
        : QAbstractTableModel(parent), m_columns(columns) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || static_cast<std::size_t>(index.row()) >= m_rows.size()) {
            return {};
        }
        const GridColumn<Row>& column = m_columns[static_cast<std::size_t>(index.column())];
        if (role == Qt::DisplayRole) {
            return ShownText(OneLine(column.text(m_rows[static_cast<std::size_t>(index.row())])));
        }
        // The text with its line breaks, for cells a narrow column cuts off; a long one whole
        // in the row's text view.
        if (role == Qt::ToolTipRole && !column.alignRight) {
            QString text = column.text(m_rows[static_cast<std::size_t>(index.row())]);
            return text.isEmpty() ? QVariant() : QVariant(TipText(text));
        }
        if (role == kFullTextRole) {
            return ShownText(column.text(m_rows[static_cast<std::size_t>(index.row())]));
        }
        if (role == Qt::TextAlignmentRole) {
            return QVariant::fromValue(Qt::AlignVCenter |
                                       (column.alignRight ? Qt::AlignRight : Qt::AlignLeft));
        }
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 &&
            static_cast<std::size_t>(section) < m_columns.size()) {
            return QCoreApplication::translate(
                "GridColumn", m_columns[static_cast<std::size_t>(section)].caption);
        }
        return QAbstractTableModel::headerData(section, orientation, role);
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    void Fill(std::vector<Row> rows) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    void Clear() { Fill({}); }

    const std::vector<Row>& Rows() const { return m_rows; }
    std::span<const GridColumn<Row>> Columns() const { return m_columns; }

private:
    std::span<const GridColumn<Row>> m_columns;
    std::vector<Row> m_rows;
};

}  // namespace tarnwick
