#include "views/ItemListModel.h"

#include <QColor>

#include <stdexcept>

#include <QCoreApplication>

#include "views/CellText.h"
#include "views/PlainText.h"

namespace tarnwick {

namespace {
// For the translators: the captions of ItemListColumns, in their order.
[[maybe_unused]] const char* const kCaptions[] = {
    QT_TRANSLATE_NOOP("ItemListModel", "序号"),
    QT_TRANSLATE_NOOP("ItemListModel", "宝贝名称"),
    QT_TRANSLATE_NOOP("ItemListModel", "价格"),
    QT_TRANSLATE_NOOP("ItemListModel", "30天售"),
    QT_TRANSLATE_NOOP("ItemListModel", "库存"),
    QT_TRANSLATE_NOOP("ItemListModel", "评论数"),
    QT_TRANSLATE_NOOP("ItemListModel", "浏览量"),
    QT_TRANSLATE_NOOP("ItemListModel", "销售总额"),
    QT_TRANSLATE_NOOP("ItemListModel", "读取数据时间")};

// The columns that show the count as it is and sort by it.
QVariant CountValue(const ItemRow& item, int column) {
    switch (column) {
        case ItemListModel::cxSellCount:
            return item.sellcount;
        case ItemListModel::cxallow_quantity:
            return item.allow_quantity;
        case ItemListModel::cxCommentCount:
            return item.Commentcount;
        case ItemListModel::cxpv:
            return item.pv;
        default:
            return {};
    }
}
}  // namespace

ItemListModel::ItemListModel(QObject* parent) : QAbstractTableModel(parent) {
    if (ItemListColumns().size() != kColumnCount) {
        throw std::logic_error("the item list expects ten columns");
    }
}

int ItemListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

int ItemListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ItemListModel::SortValue(const ItemRow& item, int row, int column) const {
    switch (column) {
        case cxCheck:
            return Checked(row) ? 1 : 0;
        case cxIndex:
            return row;
        case cxTitle:
            return Utf8Text(item.title);
        case cxPrice:
            return item.price;
        case cxSellAmount:
            return item.SellAmount;
        case cxDataTime:
            return item.UpdateTime.Days();
        default:
            return CountValue(item, column);
    }
}

QVariant ItemListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count()) {
        return {};
    }
    const ItemRow& item = Item(index.row());
    const int column = index.column();
    if (role == Qt::CheckStateRole && column == cxCheck) {
        return Checked(index.row()) ? Qt::Checked : Qt::Unchecked;
    }
    if (role == kSortRole) {
        return SortValue(item, index.row(), column);
    }
    if (role == kFullTextRole) {
        return column == cxTitle ? QVariant(ShownText(Utf8Text(item.title)))
                                 : data(index, Qt::DisplayRole);
    }
    if (role == Qt::TextAlignmentRole) {
        bool text = column == cxTitle || column == cxDataTime;
        return QVariant::fromValue(Qt::AlignVCenter | (text ? Qt::AlignLeft : Qt::AlignRight));
    }
    // The figures of an item the run did not read are zeros of ours, not the shop's.
    const bool read = Read(index.row());
    if (role == Qt::ForegroundRole) {
        return read ? QVariant() : QVariant(QColor(Qt::gray));
    }
    if (!read && column == cxDataTime && role == Qt::DisplayRole) {
        return tr("未读取");
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) {
        return {};
    }
    if (role == Qt::ToolTipRole && column != cxTitle) {
        return {};
    }
    switch (column) {
        case cxIndex:
            return index.row() + 1;
        case cxTitle:
            return role == Qt::ToolTipRole ? TipText(Utf8Text(item.title))
                                           : ShownText(OneLine(Utf8Text(item.title)));
        case cxPrice:
            return MoneyText(item.price);
        case cxSellAmount:
            return MoneyText(item.SellAmount);
        case cxDataTime:
            return DateTimeText(item.UpdateTime);
        default:
            return CountValue(item, column);
    }
}

QVariant ItemListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (role == Qt::DisplayRole) {
        // The captions are the spreadsheet's as well, where they stay Chinese; the list shows
        // them in the interface's language.
        return QCoreApplication::translate(
            "ItemListModel", ItemListColumns()[static_cast<std::size_t>(section)].caption);
    }
    return {};
}

Qt::ItemFlags ItemListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == cxCheck) {
        flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}

bool ItemListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != cxCheck || role != Qt::CheckStateRole ||
        index.row() >= Count()) {
        return false;
    }
    SetChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

void ItemListModel::Fill(std::vector<ItemRow> items, const RunRecord& record) {
    beginResetModel();
    m_items = std::move(items);
    m_checked.assign(m_items.size(), 1);
    m_read.clear();
    m_read.reserve(m_items.size());
    for (const ItemRow& item : m_items) {
        m_read.push_back(record.ItemWasRead(item.ItemID) ? 1 : 0);
    }
    endResetModel();
}

void ItemListModel::SetChecked(int row, bool checked) {
    m_checked.at(static_cast<std::size_t>(row)) = checked ? 1 : 0;
    QModelIndex cell = index(row, cxCheck);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
}

namespace {

std::vector<int> AllRows(int count) {
    std::vector<int> rows(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row) {
        rows[static_cast<std::size_t>(row)] = row;
    }
    return rows;
}

}  // namespace

void ItemListModel::SetAllChecks(CheckMode mode) {
    SetAllChecks(mode, AllRows(Count()));
}

void ItemListModel::SetAllChecks(CheckMode mode, const std::vector<int>& rows) {
    for (int row : rows) {
        char& checked = m_checked.at(static_cast<std::size_t>(row));
        switch (mode) {
            case CheckMode::All:
                checked = 1;
                break;
            case CheckMode::None:
                checked = 0;
                break;
            case CheckMode::Invert:
                checked = checked ? 0 : 1;
                break;
        }
    }
    if (!m_items.empty()) {
        emit dataChanged(index(0, cxCheck), index(Count() - 1, cxCheck), {Qt::CheckStateRole});
    }
}

std::vector<std::vector<SheetCell>> ItemListModel::SheetRows() const {
    return SheetRows(AllRows(Count()));
}

std::vector<std::vector<SheetCell>> ItemListModel::SheetRows(const std::vector<int>& rows) const {
    std::vector<std::vector<SheetCell>> sheet;
    sheet.reserve(rows.size());
    for (int row : rows) {
        sheet.push_back(ItemSheetRow(Item(row), row + 1, Checked(row)));
    }
    return sheet;
}

std::vector<std::pair<std::string, std::string>> ItemListModel::CheckedItems() const {
    return CheckedItems(AllRows(Count()));
}

std::vector<std::pair<std::string, std::string>> ItemListModel::CheckedItems(
    const std::vector<int>& rows) const {
    std::vector<std::pair<std::string, std::string>> keys;
    for (int row : rows) {
        if (Checked(row)) {
            keys.emplace_back(Item(row).sid, Item(row).ItemID);
        }
    }
    return keys;
}

}  // namespace tarnwick
