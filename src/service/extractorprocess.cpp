#include "service/extractorprocess.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>

namespace {

// How long a tool asked to stop may take to clean up before it is killed.
constexpr int killDelay = 3000; // milliseconds

} // namespace

ExtractorProcess::ExtractorProcess(QString program, QObject* parent)
    : QObject(parent)
    , m_program(std::move(program)) {
    m_process.setProgram(m_program);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardInputFile(QProcess::nullDevice());
    connect(&m_process, &QProcess::readyReadStandardOutput, this,
            [this] { readChannel(QProcess::StandardOutput); });
    connect(&m_process, &QProcess::readyReadStandardError, this,
            [this] { readChannel(QProcess::StandardError); });
    connect(&m_process, &QProcess::finished, this, &ExtractorProcess::handleFinished);
    connect(&m_process, &QProcess::errorOccurred, this, &ExtractorProcess::handleError);
}

ExtractorProcess::~ExtractorProcess() {
    m_process.disconnect(this);
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

void ExtractorProcess::start(const QUrl& archive, const QUrl& destination) {
    m_process.setArguments({QStringLiteral("-x"), QStringLiteral("-k"), archive.toLocalFile(),
                            destination.toLocalFile()});
    m_process.start();
}

void ExtractorProcess::cancel() {
    if (m_hasEnded || m_isCancelling)
        return;
    m_isCancelling = true;
    m_process.terminate();
    QTimer::singleShot(killDelay, this, [this] {
        if (m_process.state() != QProcess::NotRunning)
            m_process.kill();
    });
}

std::optional<ExtractorProcess::ExtractedCount> ExtractorProcess::extractedCount() const {
    static const QRegularExpression summary(QStringLiteral("^Extracted (\\d+) of (\\d+) entries"));
    const QRegularExpressionMatch match = summary.match(m_lastOutputLine.line());
    if (!match.hasMatch())
        return std::nullopt;
    return ExtractedCount{match.captured(1).toLongLong(), match.captured(2).toLongLong()};
}

void ExtractorProcess::readChannel(QProcess::ProcessChannel which) {
    const bool isError = which == QProcess::StandardError;
    const QByteArray chunk =
        isError ? m_process.readAllStandardError() : m_process.readAllStandardOutput();
    const QString text = (isError ? m_errorDecoder : m_outputDecoder).decode(chunk);
    if (text.isEmpty())
        return;
    (isError ? m_lastErrorLine : m_lastOutputLine).feed(text);
    Q_EMIT output(text);
}

// A character the tool left unfinished when it ended.
void ExtractorProcess::finishChannel(QProcess::ProcessChannel which) {
    const bool isError = which == QProcess::StandardError;
    const QString rest = (isError ? m_errorDecoder : m_outputDecoder).finish();
    LastLine& lastLine = isError ? m_lastErrorLine : m_lastOutputLine;
    lastLine.feed(rest);
    lastLine.finish();
    if (!rest.isEmpty())
        Q_EMIT output(rest);
}

void ExtractorProcess::handleFinished(int exitCode, QProcess::ExitStatus exitStatus) {
    if (m_hasEnded)
        return;
    m_hasEnded = true;
    // What the tool wrote last, before the outcome that follows it.
    for (const auto which : {QProcess::StandardOutput, QProcess::StandardError}) {
        readChannel(which);
        finishChannel(which);
    }
    if (exitStatus == QProcess::NormalExit && exitCode == 0)
        Q_EMIT succeeded();
    else if (m_isCancelling)
        Q_EMIT failed(ExtractionError::cancelled());
    else
        Q_EMIT failed(failure(exitCode, exitStatus));
}

// Only a failed launch ends the step here; a crash is followed by finished().
void ExtractorProcess::handleError(QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart || m_hasEnded)
        return;
    m_hasEnded = true;
    Q_EMIT failed(ExtractionError::extractionFailed(m_process.errorString()));
}

// The cause as the tool saw it: the signal that stopped it, the full disk it
// reported by its status, or its own last line on standard error. The console
// has the whole text already; the failure carries its conclusion.
ExtractionError ExtractorProcess::failure(int exitCode, QProcess::ExitStatus exitStatus) const {
    if (exitStatus == QProcess::CrashExit) {
        // For a process ended by a signal, Qt reports the signal as its code.
        return ExtractionError::extractionFailed(
            QStringLiteral("%1 was stopped by signal %2").arg(programName()).arg(exitCode));
    }
    if (exitCode == diskFullStatus)
        return ExtractionError::diskFull();
    // Tools begin their lines with their own name; the message names the
    // failure, not the tool, which the console shows anyway.
    QString reason = m_lastErrorLine.line();
    const QString ownName = programName() + QStringLiteral(": ");
    if (reason.startsWith(ownName) && reason.size() > ownName.size())
        reason.remove(0, ownName.size());
    if (!reason.isEmpty())
        return ExtractionError::extractionFailed(reason);
    return ExtractionError::extractionFailed(programName() + QStringLiteral(" extraction failed"));
}

QString ExtractorProcess::programName() const {
    return QFileInfo(m_program).fileName();
}
