#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

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

// A descriptor handed over as the service does: `ours` becomes the
// command's `theirs`, and the environment variable `variable`, where given,
// is set to `value`.
struct CommandSetup {
    QString variable;
    QString value;
    int theirs = -1;
    int ours = -1;
};

QString extractorPath();
CommandRun runExtractor(const QStringList& arguments, const CommandSetup& setup = {});

// A fresh folder with archive.zip and the folder destination in it, beside
// "outside", a folder holding one precious file that no archive may touch.
class ExtractionFolder {
public:
    ExtractionFolder();
    QString archive() const { return m_root.filePath(QStringLiteral("archive.zip")); }
    QString destination() const { return m_root.filePath(QStringLiteral("destination")); }
    QString outside() const { return m_root.filePath(QStringLiteral("outside")); }
    bool outsideIsUntouched() const;
    bool writeArchive(const QList<ZipEntry>& entries) const;
    CommandRun extract(const CommandSetup& setup = {}) const;

private:
    QTemporaryDir m_root;
};
