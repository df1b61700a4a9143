#include "servicetest.h"
#include "testsupport.h"

#include "service/utf8streamdecoder.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString fallbackError = QStringLiteral("error: Extraction failed: tool extraction failed");

} // namespace

// What the tool writes and how it ends, as the run reports it. The pauses
// make the tool's output arrive as separate reads, more than the progress
// thinning interval apart; descriptor 3 carries its "written total" reports.
void ServiceTest::extractorOutcome_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("toolEvents");
    QTest::addColumn<QStringList>("ending");
    QTest::addRow("a silent exit status 1 fails with the tool's name")
        << "exit 1" << QStringList{} << QStringList{fallbackError};
    QTest::addRow("the last line on standard error is the failure's reason")
        << "printf 'entry a: bad\\n' >&2; sleep 0.5; printf 'archive truncated\\n\\n' >&2; exit 1"
        << QStringList{"log: entry a: bad\n", "log: archive truncated\n\n"}
        << QStringList{"error: Extraction failed: archive truncated"};
    QTest::addRow("the tool's name in front of its reason is not repeated")
        << "printf 'tool: a.zip: bad\\ntool: the archive is truncated\\n' >&2; exit 1"
        << QStringList{"log: tool: a.zip: bad\ntool: the archive is truncated\n"}
        << QStringList{"error: Extraction failed: the archive is truncated"};
    QTest::addRow("a reason without a final line break still counts")
        << "printf 'bad archive' >&2; exit 2" << QStringList{"log: bad archive"}
        << QStringList{"error: Extraction failed: bad archive"};
    QTest::addRow("exit status 3 is a full disk")
        << "printf 'a.bin: No space left on device\\n' >&2; exit 3"
        << QStringList{"log: a.bin: No space left on device\n"}
        << QStringList{"error: Disk is full."};
    QTest::addRow("exit status 4 is a wrong password")
        << "printf 'tool: a.zip: wrong password\n' >&2; exit 4"
        << QStringList{"log: tool: a.zip: wrong password\n"}
        << QStringList{"error: Wrong password."};
    QTest::addRow("exit status 5 is a missing password")
        << "printf 'tool: a.zip: the archive is protected by a password\n' >&2; exit 5"
        << QStringList{"log: tool: a.zip: the archive is protected by a password\n"}
        << QStringList{"error: This archive is protected by a password."};
    QTest::addRow("a tool killed by a signal names the signal")
        << "printf 'working\\n' >&2; sleep 0.5; kill -9 $$" << QStringList{"log: working\n"}
        << QStringList{"error: Extraction failed: tool was stopped by signal 9"};
    QTest::addRow("success carries the count of the tool's summary")
        << "printf 'Extracted 16 of 16 entries into x.\\n'"
        << QStringList{"log: Extracted 16 of 16 entries into x.\n"}
        << QStringList{successLog(), "progress: 1", "completed: 16 extracted"};
    QTest::addRow("output of both channels arrives in order and unchanged")
        << "printf 'one é\\n'; sleep 0.5; printf '  two\\r\\n' >&2; sleep 0.5; printf 'three'"
        << QStringList{"log: one é\n", "log:   two\r\n", "log: three"} << successEnding();
    QTest::addRow("a character split between two reads arrives whole with the second")
        << "printf 'caf\\303'; sleep 0.5; printf '\\251 au lait\\n'; sleep 0.5; printf 'end\\n'"
        << QStringList{"log: caf", "log: é au lait\n", "log: end\n"} << successEnding();
    QTest::addRow("a character cut off by the tool's end becomes U+FFFD")
        << "printf 'end\\342\\202'" << QStringList{"log: end", "log: \uFFFD"} << successEnding();
    QTest::addRow("half of the data written is three quarters done")
        << "printf '50 100\\n' >&3" << QStringList{"progress: 0.75"} << successEnding();
    QTest::addRow("reports one after the other; none or all written moves nothing")
        << "printf '0 200\\n' >&3; sleep 0.2; printf '100 200\\n' >&3; sleep 0.2; "
           "printf '150 200\\n' >&3; sleep 0.2; printf '200 200\\n' >&3"
        << QStringList{"progress: 0.75", "progress: 0.875"} << successEnding();
    QTest::addRow("a report lower than the one before does not move the bar back")
        << "printf '60 100\\n' >&3; sleep 0.2; printf '20 100\\n' >&3; sleep 0.2; "
           "printf '80 100\\n' >&3"
        << QStringList{"progress: 0.8", "progress: 0.9"} << successEnding();
    QTest::addRow("a report line split between two writes counts whole")
        << "printf '3' >&3; sleep 0.2; printf '0 40\\n' >&3" << QStringList{"progress: 0.875"}
        << successEnding();
    QTest::addRow("malformed reports after a good one are skipped")
        << "printf '25 100\\nabc 100\\n90 100x\\n80\\n70 100 5\\n-60 100\\n 65 100\\n64  100\\n"
           "99999999999999999999 100\\n0x63 100\\n\\n' >&3"
        << QStringList{"progress: 0.625"} << successEnding();
    QTest::addRow("an overlong report is skipped, whether read whole or in pieces")
        << "printf '%0100d 100\\n' 60 >&3; sleep 0.2; printf '30 100\\n%0100d' 50 >&3; "
           "sleep 0.2; printf ' 100\\n' >&3"
        << QStringList{"progress: 0.65"} << successEnding();
    QTest::addRow("a last report without its line break is none")
        << "printf '50 100' >&3" << QStringList{} << successEnding();
    QTest::addRow("a total of 0, or more written than the total, moves nothing")
        << "printf '0 0\\n5 0\\n150 100\\n' >&3" << QStringList{} << successEnding();
    QTest::addRow("a failing tool's report comes before its failure; all written is no success")
        << "printf '40 100\\n' >&3; sleep 0.2; printf '100 100\\n' >&3; exit 1"
        << QStringList{"progress: 0.7"} << QStringList{fallbackError};
}

void ServiceTest::extractorOutcome() {
    QFETCH(QString, script);
    QFETCH(QStringList, toolEvents);
    QFETCH(QStringList, ending);
    QTemporaryDir folder;

    const QStringList events = runTool(folder.path(), script);

    QCOMPARE(events, eventsBeforeTheExtractor(folder.path()) + toolEvents + ending);
    // Removed after success only.
    QCOMPARE(QFileInfo::exists(folder.filePath("_combined_a.zip")),
             !ending.last().startsWith("completed"));
}

void ServiceTest::argumentsReachTheExtractorUnchanged() {
    QTemporaryDir folder;
    const QString destination =
        folder.filePath("with blanks, 'single' and \"double\" quotes $HOME");
    QVERIFY(QDir(folder.path()).mkdir(destination));
    const QString record = folder.filePath("arguments");

    const QStringList events =
        runTool(folder.path(), "printf '%s\\n' \"$@\" > '" + record + "'", destination);

    QCOMPARE(events.last(), "completed");
    const QStringList expected{"-x", "-k", destination + "/_combined_a.zip", destination, ""};
    QCOMPARE(QString::fromUtf8(readFile(record)).split('\n'), expected);
}

// A tool that cannot be started (here: not executable) fails the run with
// the reason the platform gives, and the merge stays.
void ServiceTest::extractorThatCannotBeLaunched() {
    QTemporaryDir folder;
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), "tiny part")};
    const QString tool = folder.filePath("tool");
    writeFile(tool, "#!/bin/sh\nexit 0\n");
    // The description the platform gives for this launch failure, started as
    // the service starts it: with an environment of its own.
    QProcess probe;
    probe.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    probe.start(tool, {});
    QVERIFY(!probe.waitForStarted());
    QVERIFY(!probe.errorString().isEmpty());

    const QStringList events = runToEnd(tool, parts, folder.path());

    QCOMPARE(events, eventsBeforeTheExtractor(folder.path()) +
                         QStringList{"error: Extraction failed: " + probe.errorString()});
    QVERIFY(QFileInfo::exists(folder.filePath("_combined_a.zip")));
}

// Pipes cut output anywhere; three reads of a text cut at any two places must
// give back exactly the text that one read of it gives.
void ServiceTest::outputDecoderKeepsEveryCharacterWhereverTheBytesAreCut() {
    const QByteArray bytes = "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80 \xff\xc3(\xe2\x82\n";
    const QString whole = QString::fromUtf8(bytes);
    QVERIFY(whole.startsWith(QStringLiteral("aé€😀 \uFFFD")));
    for (qsizetype first = 0; first <= bytes.size(); ++first) {
        for (qsizetype second = first; second <= bytes.size(); ++second) {
            Utf8StreamDecoder decoder;
            QString text = decoder.decode(bytes.first(first));
            text += decoder.decode(bytes.sliced(first, second - first));
            text += decoder.decode(bytes.sliced(second));
            text += decoder.finish();
            QVERIFY2(text == whole,
                     qPrintable(QStringLiteral("cut at %1 and %2").arg(first).arg(second)));
        }
    }
}
