#include "servicetest.h"
#include "testsupport.h"

#include "service/extractioneventstream.h"
#include "service/extractionservice.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// Says where the password came from without ever printing it: the
// descriptor named, whether what it held matched, and whether it shows in the
// environment or the arguments.
const QString passwordProbe = QStringLiteral(
    "fd=${KESTRUNE_PASSPHRASE_FD:-none}\n"
    "given=none\n"
    "[ \"$fd\" != none ] && given=$(cat <&\"$fd\")\n"
    "[ \"$given\" = 's3cret p@ss' ] && given=matched\n"
    "[ \"$given\" != none ] && [ \"$given\" != matched ] && given=other\n"
    "inEnvironment=$(env | grep -c 's3cret')\n"
    "inArguments=$(printf '%s\\n' \"$@\" | grep -c 's3cret')\n"
    "printf 'fd %s, %s, %s %s\\n' \"$fd\" \"$given\" \"$inEnvironment\" \"$inArguments\"\n");

} // namespace

void ServiceTest::passwordReachesTheExtractorOnDescriptor4Only_data() {
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("inherited"); // KESTRUNE_PASSPHRASE_FD of our own caller
    QTest::addColumn<QString>("toolSays");
    QTest::addRow("a password arrives whole on descriptor 4, in no argument or variable")
        << QByteArray("s3cret p@ss") << QByteArray() << "log: fd 4, matched, 0 0\n";
    QTest::addRow("a value inherited from our caller does not reach the tool")
        << QByteArray() << QByteArray("0") << "log: fd none, none, 0 0\n";
}

// Once the tool has it, the bytes handed over are overwritten in every copy
// that shares them, the caller's included.
void ServiceTest::passwordReachesTheExtractorOnDescriptor4Only() {
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, inherited);
    QFETCH(QString, toolSays);
    QTemporaryDir folder;
    const QList<QUrl> parts{writeFile(folder.filePath("a.zip"), "tiny part")};
    if (!inherited.isEmpty())
        qputenv("KESTRUNE_PASSPHRASE_FD", inherited);
    const QByteArray callersCopy = password;

    ExtractionService service(writeTool(folder.path(), "tool", passwordProbe));
    RunRecorder recorder(service.extract(groupOf("a", parts), QUrl::fromLocalFile(folder.path()),
                                         std::nullopt, password));
    const bool hasEnded = recorder.waitForEnd();
    qunsetenv("KESTRUNE_PASSPHRASE_FD");

    QVERIFY(hasEnded);
    QCOMPARE(recorder.events(),
             eventsBeforeTheExtractor(folder.path()) + QStringList{toolSays} + successEnding());
    QCOMPARE(callersCopy, QByteArray(password.size(), '\0'));
}
