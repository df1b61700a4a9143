// What the window makes of the check of the parts: the header's line under
// the part count, and the question before a run replaces files.

#include "englishtexts.h"
#include "scriptedwindow.h"
#include "ui/groupheaderview.h"
#include "ui/replacequestion.h"

#include <QAbstractButton>
#include <QDir>
#include <QLocale>
#include <QMessageBox>
#include <QTest>

namespace {

enum class Answer { Replace, Cancel, Escape };

ArchiveInspection inspection(bool complete, qint64 entries, qint64 conflicts = 0) {
    ArchiveInspection found;
    found.complete = complete;
    found.entries = entries;
    found.unpackedSize = 1'200'000'000;
    found.conflicts = conflicts;
    if (!complete)
        found.problem = QStringLiteral(
            "archive(1).zip does not continue archive.zip: it may be a different download or in "
            "the wrong place.");
    return found;
}

QAbstractButton* buttonWithText(QMessageBox* box, const QString& text) {
    for (QAbstractButton* button : box->buttons()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

} // namespace

Q_DECLARE_METATYPE(Answer)

class PartsCheckViewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { useEnglishTexts(); }

    void headerShowsTheVerdict_data() {
        QTest::addColumn<std::optional<ArchiveInspection>>("found");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isWarning");
        QTest::addRow("a complete archive")
            << std::optional(inspection(true, 16))
            << "Complete archive · 16 files · 1.2 GB unpacked" << false;
        QTest::addRow("one file") << std::optional(inspection(true, 1))
                                  << "Complete archive · 1 file · 1.2 GB unpacked" << false;
        QTest::addRow("a broken set warns with the check's sentence")
            << std::optional(inspection(false, 16)) << inspection(false, 16).problem << true;
        QTest::addRow("no check, no line")
            << std::optional<ArchiveInspection>() << QString() << false;
    }
    void headerShowsTheVerdict() {
        QFETCH(std::optional<ArchiveInspection>, found);
        QFETCH(QString, text);
        QFETCH(bool, isWarning);
        PartFiles parts;
        auto* service = new ScriptedService;
        service->inspection = found;
        ExtractionViewModel model(service);
        MainWindow window(&model);
        window.show();
        GroupHeaderView* header = window.contentView()->detailPane()->header();

        model.addFiles({parts.make("archive.zip", 10), parts.make("archive(1).zip", 10)});
        QVERIFY(QTest::qWaitFor([&] { return !model.isInspecting(); }));

        QCOMPARE(header->checkText(), text);
        QCOMPARE(header->isCheckAWarning(), isWarning);
    }

    void startAsksBeforeReplacingFiles_data() {
        QTest::addColumn<Answer>("answer");
        QTest::addRow("Replace starts the run") << Answer::Replace;
        QTest::addRow("Cancel leaves everything as it was") << Answer::Cancel;
        QTest::addRow("Esc is Cancel") << Answer::Escape;
    }
    void startAsksBeforeReplacingFiles() {
        QFETCH(Answer, answer);
        ScriptedWindow scripted;
        scripted.service->inspection = inspection(true, 16, 12);
        scripted.chooseDestination();
        QVERIFY(QTest::qWaitFor([&] { return !scripted.model.isInspecting(); }));

        scripted.model.startExtraction();

        QMessageBox* question = scripted.window.replaceQuestion()->question();
        QVERIFY(question);
        QVERIFY(QTest::qWaitForWindowExposed(question));
        QCOMPARE(question->text(), "12 files in " + QDir(scripted.parts.path()).dirName() +
                                       " will be replaced by the archive's versions.");
        if (answer == Answer::Escape)
            QTest::keyClick(question, Qt::Key_Escape);
        else
            buttonWithText(question, answer == Answer::Replace ? "Replace" : "Cancel")->click();
        QVERIFY(QTest::qWaitFor([&] { return !scripted.window.replaceQuestion()->question(); }));

        if (answer == Answer::Replace) {
            QVERIFY(QTest::qWaitFor([&] { return scripted.service->runCount() == 1; }));
            QCOMPARE(scripted.model.state(), ExtractionState::running());
        } else {
            QTest::qWait(50);
            QCOMPARE(scripted.service->runCount(), 0);
            QCOMPARE(scripted.model.state(), ExtractionState::idle());
        }
    }
};

QTEST_MAIN(PartsCheckViewTest)
#include "tst_checkview.moc"
