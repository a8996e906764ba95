#include "views/CheckCellDelegate.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "views/CellBackground.h"

namespace tarnwick {

void CheckCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    QVariant state = index.data(Qt::CheckStateRole);
    if (!state.isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    // The cell's background and selection without its own check box, then the box centred.
    QStyle* style = DrawCellBackground(painter, cell);
    const QWidget* widget = option.widget;

    QStyleOptionButton box;
    box.state = option.state & QStyle::State_Enabled;
    box.state |=
        state.value<Qt::CheckState>() == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
    QRect indicator = style->subElementRect(QStyle::SE_CheckBoxIndicator, &box, widget);
    indicator.moveCenter(option.rect.center());
    box.rect = indicator;
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);
}

bool CheckCellDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                    const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (!(index.flags() & Qt::ItemIsUserCheckable) || !(index.flags() & Qt::ItemIsEnabled)) {
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    }
    bool toggle = false;
    switch (event->type()) {
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            toggle = mouse->button() == Qt::LeftButton &&
                     option.rect.contains(mouse->position().toPoint());
            break;
        }
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            toggle = key->key() == Qt::Key_Space || key->key() == Qt::Key_Select;
            break;
        }
        default:
            break;
    }
    if (!toggle) {
        return false;
    }
    bool checked = index.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
    return model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

}  // namespace tarnwick
