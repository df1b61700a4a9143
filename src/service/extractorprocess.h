#pragma once

#include "service/extractionerror.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QUrl>

// The unzip step: runs the extractor command on the combined archive, passes
// its output on as text and reports once how it ended. It never waits: the
// notifications of the child process arrive on the event loop of the thread
// that created this object, which stays free meanwhile.
class ExtractorProcess : public QObject {
    Q_OBJECT

public:
    explicit ExtractorProcess(QString program, QObject* parent = nullptr);
    // A tool still running is killed: nobody is left to hear how it ends.
    ~ExtractorProcess() override;

    // Runs program -x -k ARCHIVE DESTINATION, without a shell and with
    // standard input at the null device, so the tool never waits for input.
    void start(const QUrl& archive, const QUrl& destination);

Q_SIGNALS:
    // One chunk of standard output or standard error, as read; chunks that
    // are not valid UTF-8 are dropped whole.
    void output(const QString& text);
    // Exactly one of these, once.
    void succeeded();
    void failed(const ExtractionError& error);

private:
    void passOn(const QByteArray& chunk);
    void handleFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void handleError(QProcess::ProcessError error);
    QString unreadErrorText();

    QString m_program;
    QProcess m_process;
    bool m_hasEnded = false;
};
