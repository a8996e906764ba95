#include <chrono>
#include <clocale>
#include <cstdio>

#include <QApplication>
#include <QCommandLineParser>
#include <QStandardPaths>

#include "app/DesktopUrlOpener.h"
#include "app/Language.h"
#include "app/MessageBoxPrompts.h"
#include "app/QtTranslations.h"
#include "app/TFmMain.h"
#include "base/Clock.h"
#include "base/Version.h"
#include "store/StoreChoice.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // QApplication has taken the C locale from the environment; a decimal comma there would
    // reach every number a library prints with printf (the spreadsheet's cells among them).
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setOrganizationName(QStringLiteral("Corvell"));
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationVersion(QString::fromLatin1(tarnwick::kVersionText));

    QCommandLineParser parser;
    parser.addHelpOption();
    QCommandLineOption market(QStringLiteral("market"),
                              QStringLiteral("Use the marketplace at this address."),
                              QStringLiteral("http://HOST:PORT"));
    QCommandLineOption versionUrl(QStringLiteral("version-url"),
                                  QStringLiteral("Ask this address for the newest version."),
                                  QStringLiteral("URL"));
    QCommandLineOption database(
        QStringLiteral("db"),
        QStringLiteral("Keep the analyses in this database file, or on the team's PostgreSQL "
                       "server at this postgresql:// address."),
        QStringLiteral("FILE|postgresql://..."));
    parser.addOption(market);
    parser.addOption(database);
    QCommandLineOption lang(QStringLiteral("lang"),
                            QStringLiteral("Interface language: zh (the default) or en. Without "
                                           "it, an English system locale gives English."),
                            QStringLiteral("zh|en"));
    parser.addOption(versionUrl);
    parser.addOption(lang);
    parser.process(app);

    const std::optional<tarnwick::Language> language =
        tarnwick::ChooseLanguage(parser.value(lang), QLocale::system());
    if (!language) {
        std::fprintf(stderr, "--lang is zh or en, not %s\n",
                     parser.value(lang).toLocal8Bit().constData());
        return 2;
    }
    if (!tarnwick::UseLanguage(*language)) {
        std::fprintf(stderr, "The English texts are missing from this build; staying Chinese.\n");
    }
    // Qt's own dialogs and buttons in the interface's language.
    const QLocale qtLanguage = *language == tarnwick::Language::English
                                   ? QLocale(QLocale::English)
                                   : QLocale(QLocale::Chinese, QLocale::China);
    if (!tarnwick::InstallQtTranslations(app, qtLanguage)) {
        std::fprintf(stderr,
                     "Qt's Chinese translations were not found; its dialogs stay in "
                     "English (Debian package qt6-translations-l10n)\n");
    }

    tarnwick::TFmMain::Settings settings;
    settings.viewStateFile =
        (QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + "/view.ini")
            .toStdString();
    // Due watches are looked for every minute while the program is open.
    settings.watchPeriod = std::chrono::minutes(1);
    if (parser.isSet(market) &&
        !settings.endpoints.PointMarketAt(parser.value(market).toStdString())) {
        std::fprintf(
            stderr, "%s\n",
            tarnwick::Endpoints::MarketOptionRefused(parser.value(market).toStdString()).c_str());
        return 2;
    }
    if (parser.isSet(versionUrl)) {
        settings.endpoints.versionEndpoint = parser.value(versionUrl).toStdString();
    }

    tarnwick::MessageBoxPrompts prompts(QApplication::applicationName());
    settings.store = tarnwick::ChooseStore(parser.value(database).toStdString(),
                                           tarnwick::RunningProgramFolder());
    if (settings.store.firstUse) {
        prompts.ShowMessage(nullptr,
                            QCoreApplication::translate("main", "第一次启动: 分析数据将保存在 %1")
                                .arg(QString::fromStdString(settings.store.source.Location())));
    } else if (!settings.store.failure.empty()) {
        prompts.ShowMessage(nullptr, QCoreApplication::translate("main", "无法建立数据文件: %1")
                                         .arg(QString::fromStdString(settings.store.failure)));
    }
    tarnwick::DesktopUrlOpener urls;
    tarnwick::TFmMain window(std::move(settings), prompts, urls, tarnwick::SystemClock::Instance());
    window.show();
    return QApplication::exec();
}
