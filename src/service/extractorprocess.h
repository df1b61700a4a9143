#pragma once

#include "service/extractionerror.h"
#include "service/lastline.h"
#include "service/utf8streamdecoder.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <optional>

class QSocketNotifier;

// The unzip step: runs the extractor command on the combined archive, passes
// its output on as text and reports once how it ended. It never waits: the
// notifications of the child process arrive on the event loop of the thread
// that created this object, which stays free meanwhile. A tool that reports
// its progress on descriptor 3 (KESTRUNE_PROGRESS_FD) is heard; one that does
// not works as well. A password goes to the tool through a pipe on
// descriptor 4 (KESTRUNE_PASSPHRASE_FD), never in its arguments or
// environment.
class ExtractorProcess : public QObject {
    Q_OBJECT

public:
    // The exit status with which kestrune-extract says the disk is full.
    static constexpr int diskFullStatus = 3;
    // And that the password is wrong, or that the archive needs one.
    static constexpr int wrongPasswordStatus = 4;
    static constexpr int passwordRequiredStatus = 5;

    explicit ExtractorProcess(QString program, QObject* parent = nullptr);
    // A tool still running is killed: nobody is left to hear how it ends.
    ~ExtractorProcess() override;

    // Runs program -x -k ARCHIVE DESTINATION, without a shell and with
    // standard input at the null device, so the tool never waits for input.
    // A password, if not empty, is in the pipe whole before the tool starts;
    // this object keeps no copy of it.
    void start(const QUrl& archive, const QUrl& destination, const QByteArray& password = {});

    // Asks the tool to stop (SIGTERM), and makes sure it does: a tool that
    // has not ended 3 s later is killed. The step then ends as `cancelled`,
    // unless the tool had finished successfully before it heard.
    void cancel();

    // What kestrune-extract's closing line says it extracted, if the tool
    // wrote one: "Extracted N of M entries into …".
    struct ExtractedCount {
        qint64 extracted;
        qint64 total;
    };
    std::optional<ExtractedCount> extractedCount() const;

Q_SIGNALS:
    // A piece of standard output or standard error, in the order read. A
    // character split between two reads arrives whole with the second; bytes
    // that are not UTF-8 arrive as U+FFFD.
    void output(const QString& text);
    // How much file data the tool has written of its total, as it last said:
    // at most about twenty times a second, never after the step has ended.
    void bytesWritten(qint64 written, qint64 total);
    // Exactly one of these, once.
    void succeeded();
    void failed(const ExtractionError& error);

private:
    void readChannel(QProcess::ProcessChannel which);
    void finishChannel(QProcess::ProcessChannel which);
    void handleFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void handleError(QProcess::ProcessError error);
    ExtractionError failure(int exitCode, QProcess::ExitStatus exitStatus) const;
    QString programName() const;
    bool openReportPipe();
    bool openPasswordPipe(const QByteArray& password);
    void handOverDescriptors();
    void readReports();
    void takeReportLines();
    void passReportOn();
    void closeReportPipe();

    QString m_program;
    QProcess m_process;
    Utf8StreamDecoder m_outputDecoder;
    Utf8StreamDecoder m_errorDecoder;
    LastLine m_lastOutputLine; // the tool's summary
    LastLine m_lastErrorLine;  // the tool's own diagnosis of a failure
    bool m_hasEnded = false;
    bool m_isCancelling = false;

    struct Report {
        qint64 written;
        qint64 total;
    };
    int m_reportReadFd = -1;
    int m_reportWriteFd = -1;  // the child's copy only, once it has started
    int m_passwordReadFd = -1; // likewise
    QSocketNotifier* m_reportNotifier = nullptr;
    QByteArray m_reportTail; // a line not yet ended
    std::optional<Report> m_pendingReport;
    QElapsedTimer m_sinceLastReport;
    QTimer m_reportTimer;
};
