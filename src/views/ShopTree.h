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

// The flat list of stored analyses, newest first. Each node shows the nick with the run's date
// and time under it, so that several runs of one shop can be told apart. The records live
// here, one per node, and are handed out as copies, so nothing outside can hold on to a record
// a rebuild has dropped.
class ShopTree : public QTreeWidget {
    Q_OBJECT

public:
    // The run's time under the node's caption, "yyyy-mm-dd hh:mm:ss".
    static constexpr int kRunTimeRole = Qt::UserRole + 2;

    explicit ShopTree(QWidget* parent = nullptr);

    void SetNodeIcon(const QIcon& icon) { m_icon = icon; }
    // The marks of runs that cannot be trusted whole.
    void SetHealthIcons(const QIcon& degraded, const QIcon& blocked);
    // Drops every node and its record, then one node per row in the given order; the item
    // counts, by run key, go into the nodes' tooltips. A run whose health says degraded or
    // blocked gets that mark, and its verdict and reasons in the tooltip.
    // A run that is not complete (stopped, blocked, truncated, ...: `outcomes`) is marked too,
    // and its tooltip says how much of the shop it read.
    void Rebuild(const std::vector<ShopRow>& shops,
                 const std::map<std::string, int>& itemCounts = {},
                 const std::vector<RunHealthRow>& health = {},
                 const std::vector<RunOutcomeRow>& outcomes = {});
    // The stored health of a listed run, when the store keeps health and the run has it.
    std::optional<RunHealthRow> HealthOf(std::string_view sid) const;
    // "已停止: 读取 14 / 45 个宝贝" for a listed run that is not complete; empty otherwise.
    QString PartialTextOf(std::string_view sid) const;
    // "被拦截" for "blocked" and so on, in the interface's language.
    static QString VerdictText(const std::string& verdictName);
    // True for the verdicts the tree marks.
    static bool NeedsMark(const std::string& verdictName);

    std::optional<TShop> SelectedShop() const;
    // The record now listed under that key.
    std::optional<TShop> FindShop(std::string_view sid) const;
    // Makes the node of that run the current and selected one, or leaves none selected when
    // it is not listed; raises no signal.
    void SelectShop(std::string_view sid);
    std::size_t ShopCount() const { return m_shops.size(); }

signals:
    // A left or right click anywhere in the tree, empty space included, after the selection has
    // followed it.
    void Clicked();
    // The keyboard selected another node (an arrow key, Home, End, a typed letter), or Enter
    // or Space was pressed on the selected one.
    void ChosenByKeyboard();
    // The Delete key.
    void DeleteRequested();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // A mouse press moves the selection too; the click that follows it chooses.
    bool m_pressing = false;
    bool m_selecting = false;
    std::vector<TShop> m_shops;
    std::map<std::string, RunHealthRow, std::less<>> m_health;
    std::map<std::string, std::string, std::less<>> m_partial;  // sid -> what it lacks
    QIcon m_icon;
    QIcon m_degradedIcon;
    QIcon m_blockedIcon;
};

// How a run is named to the user: the nick and, where it is known, the run's date and time.
QString RunTimeText(const TShop& shop);

}  // namespace tarnwick
