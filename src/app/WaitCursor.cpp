#include "app/WaitCursor.h"

#include <QApplication>
#include <QCursor>

namespace tarnwick {

WaitCursor::WaitCursor() {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

WaitCursor::~WaitCursor() {
    QApplication::restoreOverrideCursor();
}

}  // namespace tarnwick
