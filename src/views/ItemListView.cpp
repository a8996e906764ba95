#include "views/ItemListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QSortFilterProxyModel>

#include "views/CellText.h"
#include "views/CheckCellDelegate.h"
#include "views/ColumnFit.h"
#include "views/GridSetup.h"

namespace tarnwick {

namespace {
// The narrowest the title is fitted: about ten characters of it.
constexpr int kTitleLeast = 140;
}  // namespace

QString ItemTotalsText(const ItemTotals& totals) {
    QString text = ItemListView::tr("共 %1 个宝贝  销售总额 %2  库存 %3")
                       .arg(totals.items)
                       .arg(MoneyText(totals.sellAmount))
                       .arg(totals.stock);
    if (totals.unread > 0) {
        text += ItemListView::tr("  未读取 %1").arg(totals.unread);
    }
    return text;
}

ItemListView::ItemListView(QWidget* parent)
    : QTableView(parent),
      m_model(new ItemListModel(this)),
      m_shown(new QSortFilterProxyModel(this)) {
    m_shown->setSourceModel(m_model);
    m_shown->setSortRole(ItemListModel::kSortRole);
    m_shown->setSortLocaleAware(true);
    m_shown->setFilterKeyColumn(ItemListModel::cxTitle);
    m_shown->setFilterRole(ItemListModel::kSortRole);
    m_shown->setFilterCaseSensitivity(Qt::CaseInsensitive);
    setModel(m_shown);
    setItemDelegateForColumn(ItemListModel::cxCheck, new CheckCellDelegate(this));
    SetUpRowGrid(*this);
    verticalHeader()->hide();
    const auto& columns = ItemListColumns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        setColumnWidth(static_cast<int>(i), columns[i].width);
    }
    // Every figure and the read time in sight at the starting window size: the title gives up
    // width for them (its tooltip holds the whole title) and takes whatever is left over.
    new ColumnFit(*this, {{QString(), columns[ItemListModel::cxCheck].width, 0},
                          {QStringLiteral("000"), 0, 0},
                          {QString(), kTitleLeast, columns[ItemListModel::cxTitle].width},
                          {QStringLiteral("¥000.00"), 0, 0},
                          {QStringLiteral("000"), 0, 0},
                          {QStringLiteral("0000"), 0, 0},
                          {QStringLiteral("000"), 0, 0},
                          {QStringLiteral("0000"), 0, 0},
                          {QStringLiteral("¥00,000.00"), 0, 0},
                          {QStringLiteral("0000-00-00 00:00:00"), 0, 0}});
    // Until a header is clicked the lines stand in the order they were loaded.
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    horizontalHeader()->setSortIndicatorShown(true);
    setSortingEnabled(true);

    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { emit FocusedItemChanged(); });
    auto shownChanged = [this] { emit ShownRowsChanged(); };
    connect(m_shown, &QAbstractItemModel::modelReset, this, shownChanged);
    connect(m_shown, &QAbstractItemModel::layoutChanged, this, shownChanged);
    connect(m_shown, &QAbstractItemModel::rowsInserted, this, shownChanged);
    connect(m_shown, &QAbstractItemModel::rowsRemoved, this, shownChanged);
}

std::optional<ItemRow> ItemListView::FocusedItem() const {
    QModelIndex current = m_shown->mapToSource(currentIndex());
    if (!current.isValid() || current.row() >= m_model->Count()) {
        return std::nullopt;
    }
    return m_model->Item(current.row());
}

void ItemListView::FocusRow(int row) {
    QModelIndex cell = m_shown->mapFromSource(m_model->index(row, ItemListModel::cxTitle));
    if (!cell.isValid()) {
        return;
    }
    selectionModel()->setCurrentIndex(
        cell, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(cell);
}

void ItemListView::SetTitleFilter(const QString& text) {
    m_shown->setFilterFixedString(text.trimmed());
}

std::vector<int> ItemListView::ShownRows() const {
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(m_shown->rowCount()));
    for (int line = 0; line < m_shown->rowCount(); ++line) {
        rows.push_back(m_shown->mapToSource(m_shown->index(line, 0)).row());
    }
    return rows;
}

ItemTotals ItemListView::ShownTotals() const {
    ItemTotals totals;
    for (int row : ShownRows()) {
        const ItemRow& item = m_model->Item(row);
        if (!m_model->Read(row)) {
            ++totals.unread;
            continue;
        }
        ++totals.items;
        totals.sellAmount += item.SellAmount;
        totals.stock += item.allow_quantity;
    }
    return totals;
}

void ItemListView::keyPressEvent(QKeyEvent* event) {
    // Space ticks the focused line's check wherever the focus sits in the line, not only on
    // the check cell itself.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        QModelIndex current = m_shown->mapToSource(currentIndex());
        if (current.isValid()) {
            m_model->SetChecked(current.row(), !m_model->Checked(current.row()));
            event->accept();
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

}  // namespace tarnwick
