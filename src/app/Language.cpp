#include "app/Language.h"

#include <QCoreApplication>
#include <QTranslator>

// Q_INIT_RESOURCE names a function at global scope.
static void InitTranslationResources() {
    Q_INIT_RESOURCE(tarnwick_translations);
}

namespace tarnwick {

namespace {

Language g_current = Language::Chinese;

QTranslator& English() {
    // Lives as long as the application: Qt keeps only a pointer to an installed translator.
    static QTranslator* translator = new QTranslator(QCoreApplication::instance());
    return *translator;
}

}  // namespace

std::optional<Language> ChooseLanguage(const QString& option, const QLocale& system) {
    if (option.isEmpty()) {
        return system.language() == QLocale::English ? Language::English : Language::Chinese;
    }
    const QString name = option.section(QLatin1Char('_'), 0, 0).section(QLatin1Char('-'), 0, 0);
    if (name.compare(QLatin1String("en"), Qt::CaseInsensitive) == 0) {
        return Language::English;
    }
    if (name.compare(QLatin1String("zh"), Qt::CaseInsensitive) == 0) {
        return Language::Chinese;
    }
    return std::nullopt;
}

bool UseLanguage(Language language) {
    QTranslator& english = English();
    QCoreApplication::removeTranslator(&english);
    g_current = Language::Chinese;
    if (language == Language::Chinese) {
        return true;
    }
    InitTranslationResources();
    if (english.isEmpty() && !english.load(QStringLiteral(":/i18n/tarnwick_en.qm"))) {
        return false;
    }
    if (!QCoreApplication::installTranslator(&english)) {
        return false;
    }
    g_current = Language::English;
    return true;
}

Language CurrentLanguage() {
    return g_current;
}

}  // namespace tarnwick
