#include "service/extractorprocess.h"

#include <QFileInfo>

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

void ExtractorProcess::readChannel(QProcess::ProcessChannel which) {
    const bool isError = which == QProcess::StandardError;
    const QByteArray chunk =
        isError ? m_process.readAllStandardError() : m_process.readAllStandardOutput();
    const QString text = (isError ? m_errorDecoder : m_outputDecoder).decode(chunk);
    if (text.isEmpty())
        return;
    if (isError)
        noteErrorText(text);
    Q_EMIT output(text);
}

// A character the tool left unfinished when it ended.
void ExtractorProcess::finishChannel(QProcess::ProcessChannel which) {
    const bool isError = which == QProcess::StandardError;
    const QString rest = (isError ? m_errorDecoder : m_outputDecoder).finish();
    if (!rest.isEmpty())
        Q_EMIT output(rest);
}

void ExtractorProcess::noteErrorText(const QString& text) {
    // A tool that never ends a line must not make this grow without end; the
    // last line is all that is wanted of it.
    constexpr qsizetype longestLine = 4096;
    m_unfinishedErrorLine += text;
    const qsizetype lastBreak = m_unfinishedErrorLine.lastIndexOf(u'\n');
    const qsizetype complete = lastBreak < 0 ? 0 : lastBreak;
    const auto lines = QStringView(m_unfinishedErrorLine).first(complete).split(u'\n');
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (!line->trimmed().isEmpty()) {
            m_lastErrorLine = line->trimmed().toString();
            break;
        }
    }
    m_unfinishedErrorLine.remove(0, lastBreak + 1);
    if (m_unfinishedErrorLine.size() > longestLine)
        m_unfinishedErrorLine = m_unfinishedErrorLine.last(longestLine);
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
    if (!m_unfinishedErrorLine.trimmed().isEmpty())
        m_lastErrorLine = m_unfinishedErrorLine.trimmed();
    if (exitStatus == QProcess::NormalExit && exitCode == 0)
        Q_EMIT succeeded();
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
    if (!m_lastErrorLine.isEmpty())
        return ExtractionError::extractionFailed(m_lastErrorLine);
    return ExtractionError::extractionFailed(programName() + QStringLiteral(" extraction failed"));
}

QString ExtractorProcess::programName() const {
    return QFileInfo(m_program).fileName();
}
