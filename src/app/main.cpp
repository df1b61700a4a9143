#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrune"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kestrune"));

    QMainWindow window;
    window.setCentralWidget(new QLabel(QObject::tr("Kestrune"), &window));
    window.setMinimumSize(720, 520);
    window.show();
    return app.exec();
}
