#include "app/DesktopUrlOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace tarnwick {

bool DesktopUrlOpener::Open(const std::string& url) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

}  // namespace tarnwick
