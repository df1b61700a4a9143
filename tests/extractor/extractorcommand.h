#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

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
