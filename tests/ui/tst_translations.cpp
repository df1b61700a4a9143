// The translations: complete for the texts the sources hold today, and
// switched to at run time.

#include "model/extractionviewmodel.h"
#include "platform/translations.h"
#include "scriptedservice.h"
#include "service/extractionerror.h"
#include "ui/contentview.h"
#include "ui/detailpane.h"
#include "ui/groupheaderview.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TranslationsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // lupdate over today's sources marks every text without a translation
    // unfinished: a new tr() text fails here until it is translated.
    void everyTextIsTranslated_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("options");
        QTest::addRow("German") << "kestrune_de.ts" << QStringList{};
        QTest::addRow("English plurals") << "kestrune_en.ts" << QStringList{"-pluralonly"};
    }
    void everyTextIsTranslated() {
        QFETCH(QString, file);
        QFETCH(QStringList, options);
        QTemporaryDir scratch;
        const QString copy = scratch.filePath(file);
        QVERIFY(QFile::copy(QStringLiteral(KESTRUNE_TRANSLATIONS_SOURCE_DIR "/") + file, copy));
        QProcess lupdate;
        lupdate.start(QStringLiteral(KESTRUNE_LUPDATE),
                      QStringList{QStringLiteral(KESTRUNE_SOURCE_DIR), QStringLiteral("-ts"), copy,
                                  QStringLiteral("-no-obsolete"), QStringLiteral("-locations"),
                                  QStringLiteral("none")} +
                          options);
        QVERIFY(lupdate.waitForFinished(60'000));
        QCOMPARE(lupdate.exitCode(), 0);

        QFile updated(copy);
        QVERIFY(updated.open(QIODevice::ReadOnly));
        const QString messages = QString::fromUtf8(updated.readAll());
        QVERIFY(messages.contains(u"<message"));
        const qsizetype unfinished = messages.indexOf(u"type=\"unfinished\"");
        QVERIFY2(unfinished < 0,
                 qPrintable(messages.mid(messages.lastIndexOf(u"<source>", unfinished), 200)));
    }

    // Texts of the core library and of the window, plural forms included.
    void textsFollowTheChosenLanguage() {
        Translations translations;
        translations.use(QLocale(QLocale::German, QLocale::Germany));
        ExtractionViewModel model(new ScriptedService);
        ContentView view(&model);
        GroupHeaderView* header = view.detailPane()->header();

        QCOMPARE(ExtractionError::diskFull().errorDescription(), "Der Datenträger ist voll.");
        model.addFiles({QUrl::fromLocalFile("/nowhere/x.zip")});
        QCOMPARE(header->summaryText(), "1 Teil");
        model.addFiles(
            {QUrl::fromLocalFile("/nowhere/x(1).zip"), QUrl::fromLocalFile("/nowhere/x(3).zip")});
        QCOMPARE(header->summaryText(), "3 Teile");
        QCOMPARE(header->warningText(), "Fehlende Teile: Teil (2)");
    }
};

QTEST_MAIN(TranslationsTest)
#include "tst_translations.moc"
