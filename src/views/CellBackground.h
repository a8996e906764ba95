#pragma once

#include <QStyleOptionViewItem>

class QStyle;
class QPainter;

namespace tarnwick {

// Draws a cell's background, selection and icon as the style draws them, but neither its text
// nor its check box, for a delegate that draws those itself. `cell` is the option as the
// delegate's initStyleOption filled it. Returns the style it drew with.
QStyle* DrawCellBackground(QPainter* painter, QStyleOptionViewItem cell);

}  // namespace tarnwick
