#include "app/DesktopUrlOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace tarnwick {

void DesktopUrlOpener::Open(const std::string& url) {
    // An empty address or a desktop without a browser is not worth a message: the user sees
    // that nothing opened.
    if (url.empty()) {
        return;
    }
    QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

}  // namespace tarnwick
