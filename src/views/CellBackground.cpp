#include "views/CellBackground.h"

#include <QApplication>
#include <QStyle>
#include <QWidget>

namespace tarnwick {

QStyle* DrawCellBackground(QPainter* painter, QStyleOptionViewItem cell) {
    QStyle* style = cell.widget ? cell.widget->style() : QApplication::style();
    cell.features &= ~QStyleOptionViewItem::HasCheckIndicator;
    cell.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);
    return style;
}

}  // namespace tarnwick
