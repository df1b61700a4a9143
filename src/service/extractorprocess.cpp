#include "service/extractorprocess.h"

#include "service/utf8text.h"

#include <QFileInfo>

ExtractorProcess::ExtractorProcess(QString program, QObject* parent)
    : QObject(parent)
    , m_program(std::move(program)) {
    m_process.setProgram(m_program);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardInputFile(QProcess::nullDevice());
    connect(&m_process, &QProcess::readyReadStandardOutput, this,
            [this] { passOn(m_process.readAllStandardOutput()); });
    connect(&m_process, &QProcess::readyReadStandardError, this,
            [this] { passOn(m_process.readAllStandardError()); });
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

void ExtractorProcess::passOn(const QByteArray& chunk) {
    if (chunk.isEmpty())
        return;
    if (const std::optional<QString> text = decodeUtf8(chunk))
        Q_EMIT output(*text);
}

void ExtractorProcess::handleFinished(int exitCode, QProcess::ExitStatus exitStatus) {
    if (m_hasEnded)
        return;
    m_hasEnded = true;
    if (exitStatus == QProcess::NormalExit && exitCode == 0)
        Q_EMIT succeeded();
    else
        Q_EMIT failed(ExtractionError::extractionFailed(unreadErrorText()));
}

// Only a failed launch ends the step here; a crash is followed by finished().
void ExtractorProcess::handleError(QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart || m_hasEnded)
        return;
    m_hasEnded = true;
    Q_EMIT failed(ExtractionError::extractionFailed(m_process.errorString()));
}

// What the tool wrote to standard error and nobody has read yet; what was
// already passed on as console text is not repeated. Falls back to naming the
// tool when there is nothing (or nothing readable).
QString ExtractorProcess::unreadErrorText() {
    const QString text = decodeUtf8(m_process.readAllStandardError()).value_or(QString());
    if (!text.isEmpty())
        return text;
    return QFileInfo(m_program).fileName() + QStringLiteral(" extraction failed");
}
