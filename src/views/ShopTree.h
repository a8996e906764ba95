#pragma once

#include <map>
#include <optional>
#include <string>
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
    // The marks of runs that cannot be trusted whole.
    void SetHealthIcons(const QIcon& degraded, const QIcon& blocked);
    // Drops every node and its record, then one node per row in the given order. A run whose
    // health says degraded or blocked gets that mark and a tooltip with the reasons.
    void Rebuild(const std::vector<ShopRow>& shops, const std::vector<RunHealthRow>& health = {});
    // The stored health of a listed run, when the file keeps health and the run has it.
    std::optional<RunHealthRow> HealthOf(std::string_view sid) const;
    // "被拦截" for "blocked" and so on, in the interface's language.
    static QString VerdictText(const std::string& verdictName);
    // True for the verdicts the tree marks.
    static bool NeedsMark(const std::string& verdictName);

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
    std::map<std::string, RunHealthRow, std::less<>> m_health;
    QIcon m_icon;
    QIcon m_degradedIcon;
    QIcon m_blockedIcon;
};

}  // namespace tarnwick
