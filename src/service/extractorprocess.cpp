#include "service/extractorprocess.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <utility>

namespace {

// How long a tool asked to stop may take to clean up before it is killed.
constexpr int killDelay = 3000; // milliseconds
// The tool's progress reports arrive on this descriptor, named to it here.
constexpr int reportDescriptor = 3;
const QString reportVariable = QStringLiteral("KESTRUNE_PROGRESS_FD");
// And the password, on this one.
constexpr int passwordDescriptor = 4;
const QString passwordVariable = QStringLiteral("KESTRUNE_PASSPHRASE_FD");
// Where descriptors wait in the child before they take their numbers, clear
// of both.
constexpr int firstFreeDescriptor = 10;
// About twenty reports a second are enough for a smooth bar.
constexpr int reportInterval = 50; // milliseconds
// "<written> <total>" is never longer; a longer line is garbage.
constexpr qsizetype longestReportLine = 48;

// A decimal number of digits only: no sign, no blanks.
std::optional<qint64> numberIn(QByteArrayView text) {
    qint64 number = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return std::nullopt;
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return number;
}

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
    m_reportTimer.setSingleShot(true);
    connect(&m_reportTimer, &QTimer::timeout, this, &ExtractorProcess::passReportOn);
}

ExtractorProcess::~ExtractorProcess() {
    m_process.disconnect(this);
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
    closeReportPipe();
}

void ExtractorProcess::start(const QUrl& archive, const QUrl& destination,
                             const QByteArray& password) {
    m_process.setArguments({QStringLiteral("-x"), QStringLiteral("-k"), archive.toLocalFile(),
                            destination.toLocalFile()});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Without a pipe, a value inherited from our own caller would point the
    // tool at a descriptor that means something else.
    environment.remove(reportVariable);
    environment.remove(passwordVariable);
    if (openReportPipe())
        environment.insert(reportVariable, QString::number(reportDescriptor));
    if (!password.isEmpty() && openPasswordPipe(password))
        environment.insert(passwordVariable, QString::number(passwordDescriptor));
    m_process.setProcessEnvironment(environment);
    handOverDescriptors();
    m_process.start();
    // The child has its copies; ours would keep the report pipe from ever
    // ending, and the password in a pipe no one else reads.
    for (int* fd : {&m_reportWriteFd, &m_passwordReadFd}) {
        if (*fd >= 0)
            ::close(std::exchange(*fd, -1));
    }
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
    readReports();
    passReportOn();
    closeReportPipe();
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
    closeReportPipe();
    Q_EMIT failed(ExtractionError::extractionFailed(m_process.errorString()));
}

// The cause as the tool saw it: the signal that stopped it, the full disk it
// reported by its status, or its own last line on standard error. The console
// has the whole text already; the failure carries its conclusion.
ExtractionError ExtractorProcess::failure(int exitCode, QProcess::ExitStatus exitStatus) const {
    if (exitStatus == QProcess::CrashExit) {
        // For a process ended by a signal, Qt reports the signal as its code.
        return ExtractionError::extractionFailed(
            QCoreApplication::translate("ExtractorProcess", "%1 was stopped by signal %2")
                .arg(programName())
                .arg(exitCode));
    }
    if (exitCode == diskFullStatus)
        return ExtractionError::diskFull();
    if (exitCode == wrongPasswordStatus)
        return ExtractionError::wrongPassword();
    if (exitCode == passwordRequiredStatus)
        return ExtractionError::passwordRequired();
    // Tools begin their lines with their own name; the message names the
    // failure, not the tool, which the console shows anyway.
    QString reason = m_lastErrorLine.line();
    const QString ownName = programName() + QStringLiteral(": ");
    if (reason.startsWith(ownName) && reason.size() > ownName.size())
        reason.remove(0, ownName.size());
    if (!reason.isEmpty())
        return ExtractionError::extractionFailed(reason);
    return ExtractionError::extractionFailed(
        QCoreApplication::translate("ExtractorProcess", "%1 extraction failed").arg(programName()));
}

QString ExtractorProcess::programName() const {
    return QFileInfo(m_program).fileName();
}

// Both ends close on exec; the child gets its own copy of the write end as
// descriptor 3. Where the pipe cannot be made, the tool runs as before,
// without reports.
bool ExtractorProcess::openReportPipe() {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return false;
    m_reportReadFd = ends[0];
    m_reportWriteFd = ends[1];
    ::fcntl(m_reportReadFd, F_SETFL, ::fcntl(m_reportReadFd, F_GETFL) | O_NONBLOCK);
    m_reportNotifier = new QSocketNotifier(m_reportReadFd, QSocketNotifier::Read, this);
    connect(m_reportNotifier, &QSocketNotifier::activated, this, &ExtractorProcess::readReports);
    return true;
}

// The password goes into the pipe whole, and the write end closes, before
// the tool starts: it reads to the end and never waits for us. A password
// far below the pipe's capacity fits without blocking; one that does not fit
// is not handed over, and the tool then says the archive needs one.
bool ExtractorProcess::openPasswordPipe(const QByteArray& password) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return false;
    ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
    const ssize_t written = ::write(ends[1], password.constData(), std::size_t(password.size()));
    ::close(ends[1]);
    if (written != password.size()) {
        ::close(ends[0]);
        return false;
    }
    m_passwordReadFd = ends[0];
    return true;
}

// Each descriptor first moves above the numbers it and the others take, so
// that one dup2() cannot overwrite another's source. dup2() leaves the copy
// open across exec; the moved ones close on it. Only async-signal-safe calls:
// this runs in the child between fork and exec.
void ExtractorProcess::handOverDescriptors() {
    const int reportFd = m_reportWriteFd;
    const int passwordFd = m_passwordReadFd;
    m_process.setChildProcessModifier([reportFd, passwordFd] {
        const int movedReport =
            reportFd >= 0 ? ::fcntl(reportFd, F_DUPFD_CLOEXEC, firstFreeDescriptor) : -1;
        const int movedPassword =
            passwordFd >= 0 ? ::fcntl(passwordFd, F_DUPFD_CLOEXEC, firstFreeDescriptor) : -1;
        if (movedReport >= 0)
            ::dup2(movedReport, reportDescriptor);
        if (movedPassword >= 0)
            ::dup2(movedPassword, passwordDescriptor);
    });
}

void ExtractorProcess::readReports() {
    if (m_reportReadFd < 0)
        return;
    char buffer[4096];
    for (;;) {
        const ssize_t size = ::read(m_reportReadFd, buffer, sizeof buffer);
        if (size < 0 && errno == EINTR)
            continue;
        if (size < 0)
            break;
        // Every writer has gone: nothing more can come, and a notifier on
        // the ended pipe would fire without pause.
        if (size == 0) {
            delete m_reportNotifier;
            m_reportNotifier = nullptr;
            ::close(std::exchange(m_reportReadFd, -1));
            break;
        }
        m_reportTail.append(buffer, size);
        takeReportLines();
    }
    if (m_pendingReport && !m_reportTimer.isActive())
        passReportOn();
}

// Only the newest report of those read matters; a malformed line is skipped.
void ExtractorProcess::takeReportLines() {
    qsizetype lineStart = 0;
    for (qsizetype end = m_reportTail.indexOf('\n'); end >= 0;
         lineStart = end + 1, end = m_reportTail.indexOf('\n', lineStart)) {
        const QByteArrayView line = QByteArrayView(m_reportTail).sliced(lineStart, end - lineStart);
        if (line.size() > longestReportLine)
            continue;
        const qsizetype space = line.indexOf(' ');
        if (space < 0)
            continue;
        const auto written = numberIn(line.first(space));
        const auto total = numberIn(line.sliced(space + 1));
        if (written && total)
            m_pendingReport = Report{*written, *total};
    }
    m_reportTail.remove(0, lineStart);
    // A line that never ends must not grow without bound; what is kept of
    // it is still too long to be read as a report.
    if (m_reportTail.size() > longestReportLine)
        m_reportTail.truncate(longestReportLine + 1);
}

// Passes the pending report on now, or once the interval since the last one
// is over.
void ExtractorProcess::passReportOn() {
    if (!m_pendingReport)
        return;
    if (!m_hasEnded && m_sinceLastReport.isValid() &&
        m_sinceLastReport.elapsed() < reportInterval) {
        m_reportTimer.start(int(reportInterval - m_sinceLastReport.elapsed()));
        return;
    }
    const Report report = *m_pendingReport;
    m_pendingReport.reset();
    m_sinceLastReport.start();
    Q_EMIT bytesWritten(report.written, report.total);
}

void ExtractorProcess::closeReportPipe() {
    m_reportTimer.stop();
    m_pendingReport.reset();
    delete m_reportNotifier;
    m_reportNotifier = nullptr;
    for (int* fd : {&m_reportReadFd, &m_reportWriteFd}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}
