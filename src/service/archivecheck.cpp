#include "service/archivecheck.h"

ArchiveCheck::ArchiveCheck(QString program, QList<QUrl> parts, QUrl destination, QObject* parent)
    : QObject(parent) {
    QStringList arguments{QStringLiteral("--inspect"), QStringLiteral("--json")};
    if (!destination.isEmpty())
        arguments << QStringLiteral("--destination") << destination.toLocalFile();
    for (const QUrl& part : parts)
        arguments << part.toLocalFile();
    m_process.setProgram(program);
    m_process.setArguments(arguments);
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    // Read as it comes, so a chatty command cannot fill the pipe and stall.
    connect(&m_process, &QProcess::readyReadStandardOutput, this,
            [this] { m_output += m_process.readAllStandardOutput(); });
    connect(&m_process, &QProcess::finished, this,
            [this](int exitCode, QProcess::ExitStatus status) {
                m_output += m_process.readAllStandardOutput();
                const bool ran = status == QProcess::NormalExit && exitCode == 0;
                end(ran ? ArchiveInspection::fromJson(m_output) : std::nullopt);
            });
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            end(std::nullopt);
    });
    m_timeLimit.setSingleShot(true);
    m_timeLimit.setInterval(timeLimit);
    connect(&m_timeLimit, &QTimer::timeout, this, [this] {
        m_process.kill();
        end(std::nullopt);
    });
}

ArchiveCheck::~ArchiveCheck() {
    m_process.disconnect(this);
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

void ArchiveCheck::start() {
    m_timeLimit.start();
    m_process.start();
}

void ArchiveCheck::end(const std::optional<ArchiveInspection>& inspection) {
    if (m_hasEnded)
        return;
    m_hasEnded = true;
    m_timeLimit.stop();
    Q_EMIT finished(inspection);
}
