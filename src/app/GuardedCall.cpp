#include "app/GuardedCall.h"

#include <exception>

#include <QCoreApplication>
#include <QString>

#include "app/UserPrompts.h"
#include "views/SystemText.h"

namespace tarnwick {

bool RunGuarded(UserPrompts& prompts, QWidget* owner, const std::function<void()>& handler) {
    QString failure;
    try {
        handler();
        return true;
    } catch (const std::exception& error) {
        failure = SystemText(QString::fromUtf8(error.what()));
    } catch (...) {
        failure = QCoreApplication::translate("GuardedCall", "未知错误");
    }
    // The error box is the last line of defence: should it fail too, nothing more can be shown.
    try {
        prompts.ShowError(owner, failure);
    } catch (...) {
    }
    return false;
}

}  // namespace tarnwick
