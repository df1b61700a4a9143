// The translations: complete for the texts the sources hold today, their
// placeholders intact, and switched to at run time.

#include "model/extractionviewmodel.h"
#include "platform/translations.h"
#include "scriptedservice.h"
#include "service/extractionerror.h"
#include "ui/contentview.h"
#include "ui/detailpane.h"
#include "ui/groupheaderview.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

struct Message {
    QString source;
    QStringList translations; // one per plural form
    bool isFinished = true;
};

QList<Message> readMessages(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Message> messages;
    bool isNumerus = false;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"message") {
            messages.append(Message{});
            isNumerus = xml.attributes().value(QStringLiteral("numerus")) == u"yes";
        } else if (xml.name() == u"source") {
            messages.last().source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            messages.last().isFinished = xml.attributes().value(QStringLiteral("type")).isEmpty();
            if (!isNumerus)
                messages.last().translations << xml.readElementText();
        } else if (xml.name() == u"numerusform") {
            messages.last().translations << xml.readElementText();
        }
    }
    return messages;
}

// The %1…%9 and %n a text fills in, each once, in a stable order.
QStringList placeholders(const QString& text) {
    static const QRegularExpression marker(QStringLiteral("%L?[1-9n]"));
    QStringList found;
    for (const QRegularExpressionMatch& match : marker.globalMatch(text))
        found << match.captured();
    found.sort();
    found.removeDuplicates();
    return found;
}

} // namespace

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

        const QList<Message> messages = readMessages(copy);
        QVERIFY(!messages.isEmpty());
        for (const Message& message : messages) {
            QVERIFY2(message.isFinished && !message.translations.isEmpty(),
                     qPrintable(QStringLiteral("not translated: ") + message.source));
            for (const QString& translation : message.translations) {
                QVERIFY2(!translation.isEmpty(), qPrintable(message.source));
                QCOMPARE(placeholders(translation), placeholders(message.source));
            }
        }
    }

    void textsFollowTheChosenLanguage_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("diskFull");
        QTest::addColumn<QString>("missing");
        QTest::addColumn<QString>("onePart");
        QTest::addColumn<QString>("threeParts");
        QTest::addRow("German") << QLocale(QLocale::German, QLocale::Germany)
                                << "Der Datenträger ist voll."
                                << "Fehlende Teile: Teil (2)"
                                << "1 Teil"
                                << "3 Teile";
        QTest::addRow("a language without a translation reads English")
            << QLocale(QLocale::Icelandic) << "Disk is full."
            << "Missing parts: part (2)"
            << "1 part"
            << "3 parts";
    }
    // Texts of the core library and of the window, plural forms included.
    void textsFollowTheChosenLanguage() {
        QFETCH(QLocale, locale);
        Translations translations;
        translations.use(locale);
        ExtractionViewModel model(new ScriptedService);
        ContentView view(&model);
        GroupHeaderView* header = view.detailPane()->header();

        QTEST(ExtractionError::diskFull().errorDescription(), "diskFull");
        model.addFiles({QUrl::fromLocalFile("/nowhere/x.zip")});
        QTEST(header->summaryText(), "onePart");
        model.addFiles(
            {QUrl::fromLocalFile("/nowhere/x(1).zip"), QUrl::fromLocalFile("/nowhere/x(3).zip")});
        QTEST(header->summaryText(), "threeParts");
        QTEST(header->warningText(), "missing");
    }
};

QTEST_MAIN(TranslationsTest)
#include "tst_translations.moc"
