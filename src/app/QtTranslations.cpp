#include "app/QtTranslations.h"

#include <memory>

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tarnwick {

bool InstallQtTranslations(QCoreApplication& application, const QLocale& language) {
    if (language.language() == QLocale::English || language.language() == QLocale::C) {
        return true;
    }
    // "qtbase" holds the widgets' and dialogs' texts; Debian ships it in qt6-translations-l10n.
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(language, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    translator->setParent(&application);
    QCoreApplication::installTranslator(translator.release());
    return true;
}

}  // namespace tarnwick
