#include "servicetest.h"
#include "testsupport.h"

#include <QDir>
#include <QTest>

namespace {

const QString fallbackError = QStringLiteral("error: Extraction failed: tool extraction failed");

// Records beside itself what it got of the password and where, what of the
// report pipe, a variable of its environment, then the arguments.
const QString probe = QStringLiteral(
    "fd=${KESTRUNE_PASSPHRASE_FD:-none}\n"
    "[ \"$fd\" != none ] && given=$(cat <&\"$fd\")\n"
    "pipe=$(readlink /proc/$$/fd/3)\n"
    "ends=$(for d in /proc/$$/fd/*; do readlink \"$d\"; done | grep -cF \"$pipe\")\n"
    "{ printf 'password on %s: %s, %s %s\\n' \"$fd\" \"$given\" \"$(env | grep -c s3cret)\" "
    "\"$(printf '%s\\n' \"$@\" | grep -c s3cret)\"\n"
    "  printf 'reports on %s: %s end(s), %s\\n' \"$KESTRUNE_PROGRESS_FD\" \"$ends\" "
    "\"$KESTRUNE_TEST_MARK\"\n"
    "  printf '%s\\n' \"$@\"; } > \"${0%/*}/record\"");

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
    QTest::addRow("exit status 3 is a full disk")
        << "printf 'a.bin: No space left on device\\n' >&2; exit 3"
        << QStringList{"log: a.bin: No space left on device\n"}
        << QStringList{"error: Disk is full."};
    QTest::addRow("exit status 4 is a wrong password")
        << "exit 4" << QStringList{} << QStringList{"error: Wrong password."};
    QTest::addRow("exit status 5 is a missing password")
        << "exit 5" << QStringList{}
        << QStringList{"error: This archive is protected by a password."};
    QTest::addRow("a tool killed by a signal names the signal")
        << "printf 'working\\n' >&2; sleep 0.5; kill -9 $$" << QStringList{"log: working\n"}
        << QStringList{"error: Extraction failed: tool was stopped by signal 9"};
    QTest::addRow("both channels in order; a character cut by a read or by the end")
        << "printf 'one\\n' >&2; sleep 0.5; printf 'caf\\303'; sleep 0.5; printf "
           "'\\251\\n\\342\\202'"
        << QStringList{"log: one\n", "log: caf", "log: é\n", "log: \uFFFD"} << successEnding();
    QTest::addRow("success carries the count of the tool's summary")
        << "printf 'Extracted 16 of 16 entries into x.\\n'"
        << QStringList{"log: Extracted 16 of 16 entries into x.\n"}
        << successEnding().first(2) + QStringList{"completed: 16 extracted"};
    QTest::addRow("reports move the bar forward only; none or all written moves nothing")
        << "for r in '0 200' '100 200' '60 200' '150 200' '200 200'; do "
           "printf '%s\\n' \"$r\" >&3; sleep 0.2; done"
        << QStringList{"progress: 0.75", "progress: 0.875"} << successEnding();
    QTest::addRow("a report split between writes counts; malformed and unfinished ones do not")
        << "printf '2' >&3; sleep 0.2; printf '5 100\\nabc 100\\n90 100x\\n80\\n70 100 5\\n-60 "
           "100\\n"
           " 65 100\\n64  100\\n99999999999999999999 100\\n0x63 100\\n\\n50 100' >&3"
        << QStringList{"progress: 0.625"} << successEnding();
    QTest::addRow("a total of 0 moves nothing; a failing tool's report comes before its "
                  "failure, and all written is no success")
        << "printf '0 0\\n' >&3; sleep 0.2; printf '40 100\\n' >&3; sleep 0.2; "
           "printf '100 100\\n' >&3; exit 1"
        << QStringList{"progress: 0.7"} << QStringList{fallbackError};
}

void ServiceTest::extractorOutcome() {
    QFETCH(QString, script);
    QFETCH(QStringList, toolEvents);
    QFETCH(QStringList, ending);
    Bench bench(script);

    QCOMPARE(bench.run(), eventsBeforeTheExtractor(bench.path()) + toolEvents + ending);
    // Removed after success only.
    QCOMPARE(QFileInfo::exists(bench.path("_combined_a.zip")),
             !ending.last().startsWith("completed"));
}

// The tool learns the report pipe from its environment, which keeps the
// rest, and holds only the pipe's write end, so the pipe ends when the tool
// does; a variable our own caller set for it does not reach it. The password
// arrives whole on descriptor 4, in no argument or variable, and once the
// tool has it the bytes handed over are overwritten in every copy that
// shares them, the caller's included.
void ServiceTest::extractorGetsArgumentsReportPipeAndPassword() {
    const QByteArray password("s3cret p@ss");
    Bench bench(probe);
    const QString destination = bench.path("with blanks, 'single' and \"double\" quotes $HOME");
    QVERIFY(QDir().mkdir(destination));
    qputenv("KESTRUNE_PROGRESS_FD", "7");
    qputenv("KESTRUNE_TEST_MARK", "kept");
    const QByteArray callersCopy = password;

    RunRecorder recorder(bench.extract(destination, {}, password));
    const bool hasEnded = recorder.waitForEnd();
    qunsetenv("KESTRUNE_PROGRESS_FD");
    qunsetenv("KESTRUNE_TEST_MARK");

    QVERIFY(hasEnded);
    QCOMPARE(recorder.events, eventsBeforeTheExtractor(destination) + successEnding());
    QCOMPARE(QString::fromUtf8(readFile(bench.path("record"))),
             "password on 4: s3cret p@ss, 0 0\nreports on 3: 1 end(s), kept\n-x\n-k\n" +
                 destination + "/_combined_a.zip\n" + destination + "\n");
    QCOMPARE(callersCopy, QByteArray(password.size(), '\0'));
}

// A tool that cannot be started (here: not executable) fails the run, and
// the merge stays.
void ServiceTest::extractorThatCannotBeLaunched() {
    Bench bench;
    QVERIFY(QFile::setPermissions(bench.tool, QFile::ReadOwner | QFile::WriteOwner));
    const QStringList events = bench.run();
    QCOMPARE(events.first(events.size() - 1), eventsBeforeTheExtractor(bench.path()));
    QVERIFY2(events.last().startsWith("error: Extraction failed: "), qPrintable(events.last()));
    QVERIFY(QFileInfo::exists(bench.path("_combined_a.zip")));
}
