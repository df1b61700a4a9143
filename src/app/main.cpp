#include "ui/mainwindow.h"

#include <QApplication>
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

    MainWindow window;
    window.show();
    return app.exec();
}
