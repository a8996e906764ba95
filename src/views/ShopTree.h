#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include <QIcon>
#include <QTreeWidget>

#include "store/Rows.h"
#include "views/TShop.h"

namespace tarnwick {

// The flat list of stored analyses, newest first. The records live here, one per node, and are
// handed out as copies, so nothing outside can hold on to a record a rebuild has dropped.
class ShopTree : public QTreeWidget {
    Q_OBJECT

public:
    explicit ShopTree(QWidget* parent = nullptr);

    void SetNodeIcon(const QIcon& icon) { m_icon = icon; }
    // Drops every node and its record, then one node per row in the given order.
    void Rebuild(const std::vector<ShopRow>& shops);

    std::optional<TShop> SelectedShop() const;
    // The record now listed under that key.
    std::optional<TShop> FindShop(std::string_view sid) const;
    std::size_t ShopCount() const { return m_shops.size(); }

signals:
    // A left click anywhere in the tree, empty space included, after the selection has followed
    // it. Keyboard navigation does not raise it.
    void Clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::vector<TShop> m_shops;
    QIcon m_icon;
};

}  // namespace tarnwick
