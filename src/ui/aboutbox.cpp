#include "ui/aboutbox.h"

#include <QApplication>
#include <QFile>

AboutBox::AboutBox(QWidget* parent)
    : QMessageBox(parent) {
    const QString name = QGuiApplication::applicationDisplayName();
    setWindowTitle(tr("About %1").arg(name));
    setIconPixmap(QApplication::windowIcon().pixmap(64, 64));
    setTextFormat(Qt::PlainText);
    setText(tr("%1, version %2").arg(name, QCoreApplication::applicationVersion()));
    setInformativeText(tr("Joins split zip archives and extracts them.\n\n"
                          "Copyright © the Kestrune developers.\n"
                          "Free software under the MIT License."));
    QFile licence(QStringLiteral(":/LICENSE"));
    if (licence.open(QIODevice::ReadOnly))
        setDetailedText(QString::fromUtf8(licence.readAll()));
    setStandardButtons(QMessageBox::Close);
}
