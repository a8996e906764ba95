#include <cstdio>

#include <QApplication>
#include <QCommandLineParser>

#include "app/DesktopUrlOpener.h"
#include "app/MessageBoxPrompts.h"
#include "app/TFmMain.h"
#include "store/Clock.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationVersion(QStringLiteral("3.06"));

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
    parser.addOption(versionUrl);
    parser.process(app);

    tarnwick::TFmMain::Settings settings;
    settings.programFolder = QApplication::applicationDirPath().toStdString() + "/";
    if (parser.isSet(market) &&
        !settings.endpoints.PointMarketAt(parser.value(market).toStdString())) {
        std::fprintf(stderr, "--market needs an address such as http://127.0.0.1:8080, not %s\n",
                     parser.value(market).toLocal8Bit().constData());
        return 2;
    }
    if (parser.isSet(database)) {
        settings.databaseLocation = parser.value(database).toStdString();
    }
    if (parser.isSet(versionUrl)) {
        settings.endpoints.versionEndpoint = parser.value(versionUrl).toStdString();
    }

    tarnwick::MessageBoxPrompts prompts(QApplication::applicationName());
    tarnwick::DesktopUrlOpener urls;
    tarnwick::TFmMain window(std::move(settings), prompts, urls, tarnwick::SystemClock::Instance());
    window.show();
    return QApplication::exec();
}
