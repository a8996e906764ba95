#include "views/ShopTree.h"

#include <algorithm>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "analysis/RunRecord.h"
#include "views/CellBackground.h"
#include "views/CellText.h"
#include "views/PlainText.h"
#include "views/SystemText.h"

namespace tarnwick {

namespace {

constexpr int kRecordRole = Qt::UserRole + 1;

// Draws a node as its caption with the run's time on a second, smaller and paler line.
class RunNodeDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (!index.data(ShopTree::kRunTimeRole).toString().isEmpty()) {
            size.setHeight(
                std::max(size.height(), option.fontMetrics.height() + SmallFontHeight(option) + 6));
        }
        return size;
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QString time = index.data(ShopTree::kRunTimeRole).toString();
        if (time.isEmpty()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        // The background, the selection and the icon as usual, the two lines by hand.
        const QString caption = cell.text;
        cell.text.clear();
        QStyle* style = DrawCellBackground(painter, cell);
        const QWidget* widget = option.widget;

        QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget);
        text.adjust(2, 0, -2, 0);
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette::ColorRole role = selected ? QPalette::HighlightedText : QPalette::Text;
        painter->save();
        const int top = text.top() +
                        (text.height() - option.fontMetrics.height() - SmallFontHeight(option)) / 2;
        painter->setPen(option.palette.color(role));
        painter->setFont(option.font);
        painter->drawText(QRect(text.left(), top, text.width(), option.fontMetrics.height()),
                          Qt::AlignLeft | Qt::AlignVCenter,
                          option.fontMetrics.elidedText(caption, Qt::ElideRight, text.width()));
        QFont small = SmallFont(option);
        painter->setFont(small);
        QColor pale = option.palette.color(role);
        pale.setAlphaF(selected ? 0.85f : 0.6f);
        painter->setPen(pale);
        painter->drawText(QRect(text.left(), top + option.fontMetrics.height(), text.width(),
                                SmallFontHeight(option)),
                          Qt::AlignLeft | Qt::AlignVCenter,
                          QFontMetrics(small).elidedText(time, Qt::ElideRight, text.width()));
        painter->restore();
    }

private:
    static QFont SmallFont(const QStyleOptionViewItem& option) {
        QFont small = option.font;
        if (small.pointSizeF() > 0) {
            small.setPointSizeF(small.pointSizeF() * 0.85);
        } else {
            small.setPixelSize(std::max(8, small.pixelSize() * 85 / 100));
        }
        return small;
    }
    static int SmallFontHeight(const QStyleOptionViewItem& option) {
        return QFontMetrics(SmallFont(option)).height();
    }
};

}  // namespace

QString RunTimeText(const TShop& shop) {
    return DateTimeText(shop.AddTime);
}

ShopTree::ShopTree(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setIndentation(19);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    setItemDelegate(new RunNodeDelegate(this));
    // Focus alone makes a node current without selecting it; only a selection the user made
    // chooses a run.
    connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
        if (!m_pressing && !m_selecting && !selectedItems().isEmpty()) {
            emit ChosenByKeyboard();
        }
    });
}

void ShopTree::SetHealthIcons(const QIcon& degraded, const QIcon& blocked) {
    m_degradedIcon = degraded;
    m_blockedIcon = blocked;
}

QString ShopTree::VerdictText(const std::string& verdictName) {
    if (verdictName == "healthy") {
        return tr("正常");
    }
    if (verdictName == "degraded") {
        return tr("数据不全");
    }
    if (verdictName == "blocked") {
        return tr("被拦截");
    }
    if (verdictName == "shop-not-found") {
        return tr("找不到店铺");
    }
    if (verdictName == "unreachable") {
        return tr("无法连接");
    }
    return Utf8Text(verdictName);
}

bool ShopTree::NeedsMark(const std::string& verdictName) {
    return verdictName == "degraded" || verdictName == "blocked";
}

void ShopTree::Rebuild(const std::vector<ShopRow>& shops,
                       const std::map<std::string, int>& itemCounts,
                       const std::vector<RunHealthRow>& health,
                       const std::vector<RunOutcomeRow>& outcomes) {
    clear();
    m_shops.clear();
    m_shops.reserve(shops.size());
    m_health.clear();
    for (const RunHealthRow& row : health) {
        m_health.insert_or_assign(row.sid, row);
    }
    m_partial.clear();
    for (const RunOutcomeRow& row : outcomes) {
        if (std::string text = RunRecord(row, {}).PartialText(); !text.empty()) {
            m_partial.insert_or_assign(row.sid, std::move(text));
        }
    }
    for (const ShopRow& row : shops) {
        // Created with the tree as parent, which owns the node from here on.
        auto* node =
            new QTreeWidgetItem(this, QStringList{ShownText(OneLine(Utf8Text(row.WWName)))});
        node->setIcon(0, m_icon);
        node->setData(0, kRecordRole, static_cast<qulonglong>(m_shops.size()));
        const TShop& shop =
            m_shops.emplace_back(TShop{row.SID, row.WWName, row.ShopURL, row.AddTime});
        const QString time = RunTimeText(shop);
        node->setData(0, kRunTimeRole, time);
        auto counted = itemCounts.find(row.SID);
        const int items = counted == itemCounts.end() ? 0 : counted->second;
        // A nick as long as a page gives up its room to the lines of ours under it.
        QString tip = CutText(Utf8Text(row.WWName), kTipLength / 2);
        if (!time.isEmpty()) {
            tip += QLatin1Char('\n') + tr("分析时间 %1").arg(time);
        }
        tip += QLatin1Char('\n') + tr("共 %n 个宝贝", nullptr, items);
        auto partial = m_partial.find(row.SID);
        if (partial != m_partial.end()) {
            node->setIcon(0, m_degradedIcon);
            tip += QLatin1Char('\n') + PartialTextOf(row.SID);
        }
        auto found = m_health.find(row.SID);
        if (found == m_health.end() || !NeedsMark(found->second.verdict)) {
            node->setToolTip(0, TipText(tip));
            continue;
        }
        const RunHealthRow& run = found->second;
        node->setIcon(0, run.verdict == "blocked" ? m_blockedIcon : m_degradedIcon);
        // The reasons are the run's own record, kept as written and shown in the interface's
        // language.
        node->setToolTip(
            0, TipText(tip + QLatin1Char('\n') + tr("运行状况: %1").arg(VerdictText(run.verdict)) +
                       QLatin1Char('\n') + SystemText(Utf8Text(run.reasons))));
    }
}

QString ShopTree::PartialTextOf(std::string_view sid) const {
    auto found = m_partial.find(sid);
    return found == m_partial.end()
               ? QString()
               : tr("本次分析不完整 - %1").arg(SystemText(Utf8Text(found->second)));
}

std::optional<RunHealthRow> ShopTree::HealthOf(std::string_view sid) const {
    auto found = m_health.find(sid);
    if (found == m_health.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::optional<TShop> ShopTree::SelectedShop() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty()) {
        return std::nullopt;
    }
    auto index = selected.front()->data(0, kRecordRole).toULongLong();
    if (index >= m_shops.size()) {
        return std::nullopt;
    }
    return m_shops[index];
}

std::optional<TShop> ShopTree::FindShop(std::string_view sid) const {
    for (const TShop& shop : m_shops) {
        if (shop.Sid == sid) {
            return shop;
        }
    }
    return std::nullopt;
}

void ShopTree::SelectShop(std::string_view sid) {
    m_selecting = true;
    clearSelection();
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* node = topLevelItem(i);
        const auto index = node->data(0, kRecordRole).toULongLong();
        if (index < m_shops.size() && m_shops[index].Sid == sid) {
            setCurrentItem(node);
            break;
        }
    }
    m_selecting = false;
}

void ShopTree::mousePressEvent(QMouseEvent* event) {
    // The item view would drop the selection on a click below the last node; here such a click
    // means "the selected shop again", so the selection stays.
    if (!indexAt(event->position().toPoint()).isValid()) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    m_pressing = true;
    QTreeWidget::mousePressEvent(event);
    m_pressing = false;
}

void ShopTree::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool again = (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) &&
                       event->modifiers() == Qt::NoModifier;
    if (key == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        event->accept();
        emit DeleteRequested();
        return;
    }
    if (again) {
        event->accept();
        if (currentItem() != nullptr && currentItem()->isSelected()) {
            emit ChosenByKeyboard();
            return;
        }
    } else {
        QTreeWidget::keyPressEvent(event);
    }
    // Focus alone makes a node current without selecting it; a key that lands on that node
    // (Home on the first, Enter) selects it, and so chooses it.
    const bool moves = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Home ||
                       key == Qt::Key_End || key == Qt::Key_PageUp || key == Qt::Key_PageDown;
    if (QTreeWidgetItem* node = currentItem(); node && !node->isSelected() && (again || moves)) {
        node->setSelected(true);
    }
}

void ShopTree::mouseReleaseEvent(QMouseEvent* event) {
    if (indexAt(event->position().toPoint()).isValid()) {
        QTreeWidget::mouseReleaseEvent(event);
    } else {
        event->accept();
    }
    // The right button chooses too: the menu it opens acts on the run shown.
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        emit Clicked();
    }
}

}  // namespace tarnwick
