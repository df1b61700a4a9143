#include "model/extractionviewmodel.h"
#include "platform/launcharguments.h"
#include "platform/translations.h"
#include "service/extractionservice.h"
#include "ui/contentview.h"
#include "ui/mainwindow.h"

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
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kestrune.Kestrune"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("org.kestrune.Kestrune"),
                         QIcon(QStringLiteral(":/icons/org.kestrune.Kestrune.svg"))));

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

    MainWindow window;
    window.show();
    const QList<QUrl> files =
        locationsFromArguments(parser.positionalArguments(), QDir::currentPath());
    if (!files.isEmpty())
        window.contentView()->model()->addFiles(files);
    return app.exec();
}
