#include "platform/launcharguments.h"
#include "platform/session/desktopnotifications.h"
#include "platform/session/launcherprogress.h"
#include "platform/session/sessionids.h"
#include "platform/session/singleinstance.h"
#include "platform/translations.h"
#include "service/extractionservice.h"
#include "ui/mainwindow.h"
#include "ui/runannouncer.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrune"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kestrune"));
    QApplication::setApplicationVersion(QStringLiteral(KESTRUNE_VERSION));
    // Matches the installed desktop entry, so Wayland compositors show its icon.
    QGuiApplication::setDesktopFileName(SessionIds::applicationId());
    QApplication::setWindowIcon(QIcon::fromTheme(
        SessionIds::applicationId(), QIcon(QStringLiteral(":/icons/org.kestrune.Kestrune.svg"))));

    Translations translations;
    translations.use(QLocale());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("main", "Joins split zip archives and extracts them."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption extractorPath(
        QStringLiteral("extractor-path"),
        QCoreApplication::translate("main", "Prints the extractor command it runs, and exits."));
    parser.addOption(extractorPath);
    parser.addPositionalArgument(
        QStringLiteral("files"),
        QCoreApplication::translate("main", "Parts to add, as if dropped on the window."),
        QStringLiteral("[FILE...]"));
    parser.process(app);
    if (parser.isSet(extractorPath)) {
        QTextStream(stdout) << ExtractionService::defaultExtractorPath() << '\n';
        return 0;
    }

    // Relative paths name files in this launch's folder, wherever the
    // running instance was started.
    const QList<QUrl> files =
        locationsFromArguments(parser.positionalArguments(), QDir::currentPath());
    SingleInstance instance;
    if (instance.start(InstanceRequest::fromLaunch(files)) == SingleInstance::Role::HandedOver)
        return 0;

    MainWindow window;
    QObject::connect(&instance, &SingleInstance::requested, &window,
                     [&window](const InstanceRequest& request) {
                         window.openFiles(request.files, request.activationToken);
                     });
    new RunAnnouncer(&window, new DesktopNotifications(QDBusConnection::sessionBus(), &window),
                     new LauncherProgress(QDBusConnection::sessionBus(), &window));
    window.show();
    if (!files.isEmpty())
        window.openFiles(files);
    return app.exec();
}
