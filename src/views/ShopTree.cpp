#include "views/ShopTree.h"

#include <QMouseEvent>

#include "views/CellText.h"

namespace tarnwick {

namespace {
constexpr int kRecordRole = Qt::UserRole + 1;
}

ShopTree::ShopTree(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setIndentation(19);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
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

void ShopTree::Rebuild(const std::vector<ShopRow>& shops, const std::vector<RunHealthRow>& health) {
    clear();
    m_shops.clear();
    m_shops.reserve(shops.size());
    m_health.clear();
    for (const RunHealthRow& row : health) {
        m_health.insert_or_assign(row.sid, row);
    }
    for (const ShopRow& row : shops) {
        // Created with the tree as parent, which owns the node from here on.
        auto* node = new QTreeWidgetItem(this, QStringList{Utf8Text(row.WWName)});
        node->setIcon(0, m_icon);
        node->setData(0, kRecordRole, static_cast<qulonglong>(m_shops.size()));
        m_shops.push_back(TShop{row.SID, row.WWName, row.ShopURL});
        auto found = m_health.find(row.SID);
        if (found == m_health.end() || !NeedsMark(found->second.verdict)) {
            continue;
        }
        const RunHealthRow& run = found->second;
        node->setIcon(0, run.verdict == "blocked" ? m_blockedIcon : m_degradedIcon);
        // The reasons are the run's own record, kept as it was written.
        node->setToolTip(0, tr("运行状况: %1").arg(VerdictText(run.verdict)) + QLatin1Char('\n') +
                                Utf8Text(run.reasons));
    }
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

void ShopTree::mousePressEvent(QMouseEvent* event) {
    // The item view would drop the selection on a click below the last node; here such a click
    // means "the selected shop again", so the selection stays.
    if (!indexAt(event->position().toPoint()).isValid()) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void ShopTree::mouseReleaseEvent(QMouseEvent* event) {
    if (indexAt(event->position().toPoint()).isValid()) {
        QTreeWidget::mouseReleaseEvent(event);
    } else {
        event->accept();
    }
    if (event->button() == Qt::LeftButton) {
        emit Clicked();
    }
}

}  // namespace tarnwick
