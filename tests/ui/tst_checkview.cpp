// The questions the check of the parts leads to when Start is pressed: the
// one before a run replaces files, and the password for an encrypted archive.

#include "englishtexts.h"
#include "scriptedwindow.h"
#include "ui/passwordquestion.h"
#include "ui/replacequestion.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace {

enum class Answer { Replace, Cancel, Escape };

// A window whose parts the check has seen, with a destination.
bool checkedWith(ScriptedWindow& scripted, const std::optional<ArchiveInspection>& found) {
    scripted.service->inspection = found;
    scripted.chooseDestination();
    return QTest::qWaitFor([&] { return !scripted.model.isInspecting(); });
}

} // namespace

Q_DECLARE_METATYPE(Answer)

class PartsCheckViewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { useEnglishTexts(); }

    void startAsksBeforeReplacingFiles_data() {
        QTest::addColumn<Answer>("answer");
        QTest::addRow("Replace starts the run") << Answer::Replace;
        QTest::addRow("Cancel leaves everything as it was") << Answer::Cancel;
        QTest::addRow("Esc is Cancel") << Answer::Escape;
    }
    void startAsksBeforeReplacingFiles() {
        QFETCH(Answer, answer);
        ScriptedWindow scripted;
        QVERIFY(checkedWith(scripted, completeInspection(12)));

        scripted.model.startExtraction();

        QMessageBox* question = scripted.window.replaceQuestion()->question();
        QVERIFY(question);
        QVERIFY(QTest::qWaitForWindowExposed(question));
        QCOMPARE(question->text(), "12 files in " + QDir(scripted.parts.path()).dirName() +
                                       " will be replaced by the archive's versions.");
        if (answer == Answer::Escape) {
            QTest::keyClick(question, Qt::Key_Escape);
        } else {
            const QString text = answer == Answer::Replace ? "Replace" : "Cancel";
            for (QAbstractButton* button : question->buttons()) {
                if (button->text() == text)
                    button->click();
            }
        }
        QVERIFY(QTest::qWaitFor([&] { return !scripted.window.replaceQuestion()->question(); }));

        const int runs = answer == Answer::Replace ? 1 : 0;
        QTest::qWait(50);
        QTRY_COMPARE(scripted.service->runCount(), runs);
        QCOMPARE(scripted.model.state(),
                 runs ? ExtractionState::running() : ExtractionState::idle());
    }

    // The run gets the password as typed, in UTF-8; Show password reveals it.
    void passwordQuestionDecidesWhetherARunStarts_data() {
        QTest::addColumn<QDialogButtonBox::StandardButton>("button");
        QTest::addColumn<int>("runs");
        QTest::addRow("OK starts with the typed password") << QDialogButtonBox::Ok << 1;
        QTest::addRow("Cancel starts nothing") << QDialogButtonBox::Cancel << 0;
    }
    void passwordQuestionDecidesWhetherARunStarts() {
        QFETCH(QDialogButtonBox::StandardButton, button);
        QFETCH(int, runs);
        ScriptedWindow scripted;
        QVERIFY(checkedWith(scripted, completeInspection(0, 1)));
        scripted.model.startExtraction();
        QDialog* dialog = scripted.window.passwordQuestion()->dialog();
        QVERIFY(dialog && dialog->isVisible());
        QLineEdit* field = scripted.window.passwordQuestion()->passwordField();
        QTest::keyClicks(field, QStringLiteral("s3cret "));
        field->insert(QStringLiteral("é")); // keyClicks types ASCII only
        QCOMPARE(field->echoMode(), QLineEdit::Password);
        dialog->findChild<QCheckBox*>()->click();
        QCOMPARE(field->echoMode(), QLineEdit::Normal);

        dialog->findChild<QDialogButtonBox*>()->button(button)->click();

        QTest::qWait(20);
        QTRY_COMPARE(scripted.service->runCount(), runs);
        if (runs)
            QCOMPARE(scripted.service->runs.last().password, QStringLiteral("s3cret é").toUtf8());
        else
            QCOMPARE(scripted.model.state(), ExtractionState::idle());
        QTRY_VERIFY(!scripted.window.passwordQuestion()->dialog());
    }
};

QTEST_MAIN(PartsCheckViewTest)
#include "tst_checkview.moc"
