#include "views/ComparisonModel.h"

#include <cmath>
#include <limits>
#include <variant>

#include <QCoreApplication>
#include <QFont>

#include "export/ComparisonSheet.h"
#include "views/CellText.h"
#include "views/PlainText.h"

namespace tarnwick {

namespace {

// The captions and states are the core's; translated under the context they are marked with
// here, since the translation tools cannot read them out of the core.
constexpr const char* kContext = "ComparisonModel";

// The captions and states once more, marked for the translation tools.
[[maybe_unused]] constexpr const char* kTranslatable[] = {
    QT_TRANSLATE_NOOP("ComparisonModel", "状态"),
    QT_TRANSLATE_NOOP("ComparisonModel", "宝贝ID"),
    QT_TRANSLATE_NOOP("ComparisonModel", "宝贝名称"),
    QT_TRANSLATE_NOOP("ComparisonModel", "原价格"),
    QT_TRANSLATE_NOOP("ComparisonModel", "现价格"),
    QT_TRANSLATE_NOOP("ComparisonModel", "价格变化"),
    QT_TRANSLATE_NOOP("ComparisonModel", "原30天售"),
    QT_TRANSLATE_NOOP("ComparisonModel", "现30天售"),
    QT_TRANSLATE_NOOP("ComparisonModel", "销量变化"),
    QT_TRANSLATE_NOOP("ComparisonModel", "原库存"),
    QT_TRANSLATE_NOOP("ComparisonModel", "现库存"),
    QT_TRANSLATE_NOOP("ComparisonModel", "库存推算销量"),
    QT_TRANSLATE_NOOP("ComparisonModel", "评论数变化"),
    QT_TRANSLATE_NOOP("ComparisonModel", "浏览量变化"),
    QT_TRANSLATE_NOOP("ComparisonModel", "新成交笔数"),
    QT_TRANSLATE_NOOP("ComparisonModel", "新成交件数"),
    QT_TRANSLATE_NOOP("ComparisonModel", "新上架"),
    QT_TRANSLATE_NOOP("ComparisonModel", "已下架"),
    QT_TRANSLATE_NOOP("ComparisonModel", "有变化"),
    QT_TRANSLATE_NOOP("ComparisonModel", "无变化"),
};

QString Signed(double value, int decimals) {
    const QString text = QString::number(value, 'f', decimals);
    return value > 0 ? QStringLiteral("+") + text : text;
}

QString CellText(const SheetCell& cell, ComparisonValue kind) {
    if (const auto* text = std::get_if<std::string>(&cell)) {
        return Utf8Text(*text);
    }
    const auto* number = std::get_if<double>(&cell);
    if (number == nullptr) {
        return {};
    }
    switch (kind) {
        case ComparisonValue::Money:
            return MoneyText(*number);
        case ComparisonValue::MoneyChange:
            return Signed(*number, 2);
        case ComparisonValue::CountChange:
            return Signed(*number, 0);
        case ComparisonValue::Count:
        case ComparisonValue::Text:
            break;
    }
    return QString::number(*number, 'f', 0);
}

QVariant SortValue(const SheetCell& cell) {
    if (const auto* text = std::get_if<std::string>(&cell)) {
        return Utf8Text(*text);
    }
    if (const auto* number = std::get_if<double>(&cell)) {
        return *number;
    }
    return -std::numeric_limits<double>::infinity();
}

}  // namespace

const QColor ComparisonModel::kNewBackground(0xDD, 0xEB, 0xF7);
const QColor ComparisonModel::kRemovedText(0x80, 0x80, 0x80);
const QColor ComparisonModel::kCutText(0x00, 0x61, 0x00);
const QColor ComparisonModel::kCutBackground(0xC6, 0xEF, 0xCE);
const QColor ComparisonModel::kRiseText(0x9C, 0x00, 0x06);
const QColor ComparisonModel::kRiseBackground(0xFF, 0xC7, 0xCE);

ComparisonModel::ComparisonModel(QObject* parent) : QAbstractTableModel(parent) {
}

int ComparisonModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count();
}

int ComparisonModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(ComparisonColumns().size());
}

QVariant ComparisonModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count()) {
        return {};
    }
    const ItemComparison& item = Item(index.row());
    const int column = index.column();
    const ComparisonValue kind = ComparisonColumns().at(static_cast<std::size_t>(column)).kind;
    const bool priceColumn = column == kComparisonPriceChangeColumn;
    const double priceChange = item.PriceChange();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole: {
            if (role == Qt::ToolTipRole && column != kComparisonTitleColumn) {
                return {};
            }
            const SheetCell& cell = Cell(index.row(), column);
            if (column == kComparisonStatusColumn) {
                return QCoreApplication::translate(kContext, std::get<std::string>(cell).c_str());
            }
            const QString text = CellText(cell, kind);
            return role == Qt::ToolTipRole ? QVariant(TipText(text))
                                           : QVariant(ShownText(OneLine(text)));
        }
        case kSortRole:
            return SortValue(Cell(index.row(), column));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(
                Qt::AlignVCenter |
                (kind == ComparisonValue::Text ? Qt::AlignLeft : Qt::AlignRight));
        case Qt::ForegroundRole:
            if (item.status == ItemStatus::Removed) {
                return kRemovedText;
            }
            if (priceColumn && priceChange != 0.0) {
                return priceChange < 0 ? kCutText : kRiseText;
            }
            return {};
        case Qt::BackgroundRole:
            if (priceColumn && priceChange != 0.0) {
                return priceChange < 0 ? kCutBackground : kRiseBackground;
            }
            if (item.status == ItemStatus::New) {
                return kNewBackground;
            }
            return {};
        case Qt::FontRole:
            if (column == kComparisonStatusColumn && item.status == ItemStatus::New) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        default:
            return {};
    }
}

const SheetCell& ComparisonModel::Cell(int row, int column) const {
    return m_cells.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
}

QVariant ComparisonModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const auto& columns = ComparisonColumns();
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 &&
        static_cast<std::size_t>(section) < columns.size()) {
        return QCoreApplication::translate(kContext,
                                           columns[static_cast<std::size_t>(section)].caption);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

void ComparisonModel::Fill(std::vector<ItemComparison> items) {
    beginResetModel();
    m_items = std::move(items);
    m_cells.clear();
    m_cells.reserve(m_items.size());
    for (const ItemComparison& item : m_items) {
        m_cells.push_back(ComparisonSheetRow(item));
    }
    endResetModel();
}

}  // namespace tarnwick
