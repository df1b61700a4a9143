#include "model/extractionviewmodel.h"
#include "platform/launcharguments.h"
#include "ui/contentview.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QIcon>

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

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("main", "Joins split zip archives and extracts them."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("files"),
        QCoreApplication::translate("main", "Parts to add, as if dropped on the window."),
        QStringLiteral("[FILE...]"));
    parser.process(app);

    MainWindow window;
    window.show();
    const QList<QUrl> files = locationsFromArguments(parser.positionalArguments(), QDir::currentPath());
    if (!files.isEmpty())
        window.contentView()->model()->addFiles(files);
    return app.exec();
}
