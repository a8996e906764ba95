#pragma once

#include <QStyledItemDelegate>

namespace tarnwick {

// Draws a checkable cell as a centred check box and toggles it on a left click anywhere in the
// cell (or the space key), at once: the check column is narrow, and aiming at the box itself
// would make every click a near miss.
class CheckCellDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
};

}  // namespace tarnwick
