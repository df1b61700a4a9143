#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <utility>

struct ZipEntry;

// The built kestrune-extract (named by KESTRUNE_EXTRACT), run as the service
// runs it: in the C locale, without the variables that hand it descriptors
// unless a test sets them, and with standard input an open pipe that never
// delivers anything, so a command that waited for input would hang here and
// fail the test.
struct CommandRun {
    int exitCode = -1; // -1: ended by a signal, or did not end in time
    QString output;
    QString errors;
};

struct CommandSetup {
    QList<std::pair<QString, QString>> environment;
    // (the command's descriptor, ours): open descriptors it gets.
    QList<std::pair<int, int>> descriptors;
};

QString extractorPath();
CommandRun runExtractor(const QStringList& arguments, const CommandSetup& setup = {});

// A fresh folder with archive.zip and the folder destination in it.
class ExtractionFolder {
public:
    ExtractionFolder();
    QString filePath(const QString& name) const { return m_root.filePath(name); }
    QString archive() const { return filePath(QStringLiteral("archive.zip")); }
    QString destination() const { return filePath(QStringLiteral("destination")); }
    bool writeArchive(const QList<ZipEntry>& entries) const;
    CommandRun extract(const CommandSetup& setup = {}) const;

private:
    QTemporaryDir m_root;
};
