#include "extractorcommand.h"
#include "zipfixture.h"

#include <QDir>
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
    if (!process.waitForStarted())
        qWarning("KESTRUNE_EXTRACT must name the built kestrune-extract, not \"%s\"",
                 qPrintable(extractorPath()));
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

ExtractionFolder::ExtractionFolder() {
    QDir(m_root.path()).mkpath(QStringLiteral("destination"));
}

bool ExtractionFolder::writeArchive(const QList<ZipEntry>& entries) const {
    return ZipFixture::writeFile(archive(), ZipFixture::buildZip(entries));
}

CommandRun ExtractionFolder::extract(const CommandSetup& setup) const {
    return runExtractor({"-x", "-k", archive(), destination()}, setup);
}
