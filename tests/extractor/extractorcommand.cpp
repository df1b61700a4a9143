#include "extractorcommand.h"

#include <QProcess>

#include <fcntl.h>
#include <unistd.h>

QString extractorPath() {
    return qEnvironmentVariable("KESTRUNE_EXTRACT");
}

CommandRun runExtractor(const QStringList& arguments, const CommandSetup& setup) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    environment.remove(QStringLiteral("KESTRUNE_PROGRESS_FD"));
    environment.remove(QStringLiteral("KESTRUNE_PASSPHRASE_FD"));
    for (const auto& [name, value] : setup.environment)
        environment.insert(name, value);
    process.setProcessEnvironment(environment);
    const QList<std::pair<int, int>> descriptors = setup.descriptors;
    process.setChildProcessModifier([descriptors] {
        for (const auto& [theirs, ours] : descriptors) {
            // dup2() onto itself would leave close-on-exec set.
            if (theirs == ours)
                ::fcntl(ours, F_SETFD, 0);
            else
                ::dup2(ours, theirs);
        }
    });
    process.start(extractorPath(), arguments);
    const bool finished = process.waitForFinished(120000);
    if (!finished)
        process.kill();
    CommandRun run;
    run.output = QString::fromUtf8(process.readAllStandardOutput());
    run.errors = QString::fromUtf8(process.readAllStandardError());
    if (finished && process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    return run;
}
