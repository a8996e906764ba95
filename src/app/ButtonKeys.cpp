#include "app/ButtonKeys.h"

#include <QAbstractButton>

namespace tarnwick {

void GiveKey(QAbstractButton& button, Qt::Key key) {
    if (button.shortcut().isEmpty()) {
        button.setShortcut(QKeySequence(Qt::ALT | key));
    }
    button.setToolTip(QString(button.text()).remove(QLatin1Char('&')) + QStringLiteral(" (") +
                      button.shortcut().toString(QKeySequence::NativeText) + QLatin1Char(')'));
}

}  // namespace tarnwick
