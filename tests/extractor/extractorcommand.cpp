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
    if (!setup.variable.isEmpty())
        environment.insert(setup.variable, setup.value);
    process.setProcessEnvironment(environment);
    process.setChildProcessModifier([setup] {
        // dup2() onto itself would leave close-on-exec set.
        if (setup.ours >= 0 && setup.theirs == setup.ours)
            ::fcntl(setup.ours, F_SETFD, 0);
        else if (setup.ours >= 0)
            ::dup2(setup.ours, setup.theirs);
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
    QDir(m_root.path()).mkpath(QStringLiteral("outside"));
    ZipFixture::writeFile(outside() + "/victim", "precious");
}

bool ExtractionFolder::outsideIsUntouched() const {
    return ZipFixture::tree(outside()) == QStringList{"victim=precious"};
}

bool ExtractionFolder::writeArchive(const QList<ZipEntry>& entries) const {
    return ZipFixture::writeFile(archive(), ZipFixture::buildZip(entries));
}

CommandRun ExtractionFolder::extract(const CommandSetup& setup) const {
    return runExtractor({"-x", "-k", archive(), destination()}, setup);
}
