// The window's controls over a run and the questions around one: Cancel and
// Esc, the question asked when the window is closed during a run, and those
// the check of the parts leads to when Start is pressed (replacing files, the
// password of an encrypted archive).

#include "scriptedwindow.h"
#include "ui/passwordquestion.h"
#include "ui/quitguard.h"
#include "ui/replacequestion.h"
#include "ui/symbolpushbutton.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace {

enum class QuitBy { ClosingTheWindow, QuitAction };
enum class Answer { StopAndQuit, KeepRunning, StopAfterTheRunEndedByItself };

QAbstractButton* buttonWithText(QMessageBox* box, const QString& text) {
    for (QAbstractButton* button : box->buttons()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

// The service's answer to a cancel: the run ends with one cancelled error.
void endCancelled(ScriptedService* service) {
    service->finish(ExtractionProgress::error(ExtractionError::cancelled()));
}

// A window whose parts the check has seen, with a destination.
bool checkedWith(ScriptedWindow& scripted, const std::optional<ArchiveInspection>& found) {
    scripted.service->inspection = found;
    scripted.chooseDestination();
    return QTest::qWaitFor([&] { return !scripted.model.isInspecting(); });
}

} // namespace

Q_DECLARE_METATYPE(QuitBy)
Q_DECLARE_METATYPE(Answer)

class CancelAndQuitTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cancelStopsTheRun_data() {
        QTest::addColumn<bool>("byEsc");
        QTest::addRow("by the Cancel button") << false;
        QTest::addRow("by Esc") << true;
    }
    // The failed state it ends in shows as any failure does (the panel's
    // state table).
    void cancelStopsTheRun() {
        QFETCH(bool, byEsc);
        ScriptedWindow window;
        QVERIFY(window.reach(Situation::Running));
        SymbolPushButton* cancel = window.panel->cancelButton();

        if (byEsc)
            QTest::keyClick(&window.window, Qt::Key_Escape);
        else
            cancel->click();

        QVERIFY(window.service->stream()->isCancelRequested());
        // The run takes a moment to stop; it is not asked twice meanwhile.
        QVERIFY(cancel->isVisible() && !cancel->isEnabled());
        QCOMPARE(window.panel->mainButton()->text(), QStringLiteral("Stopping…"));

        endCancelled(window.service);
        QVERIFY(!cancel->isVisible());
    }

    void quitDuringARunAsksFirst_data() {
        QTest::addColumn<QuitBy>("quitBy");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("closes");
        QTest::addRow("closing, Stop and Quit cancels and closes once stopped")
            << QuitBy::ClosingTheWindow << Answer::StopAndQuit << true;
        QTest::addRow("Quit, Keep Running leaves the run and the window")
            << QuitBy::QuitAction << Answer::KeepRunning << false;
        QTest::addRow("Stop and Quit after the run ended by itself closes")
            << QuitBy::QuitAction << Answer::StopAfterTheRunEndedByItself << true;
    }
    void quitDuringARunAsksFirst() {
        QFETCH(QuitBy, quitBy);
        QFETCH(Answer, answer);
        QFETCH(bool, closes);
        ScriptedWindow window;
        QVERIFY(window.reach(Situation::Running));

        // Through the action, since the offscreen platform binds no key to Quit.
        if (quitBy == QuitBy::QuitAction) {
            for (QAction* action : window.window.actions()) {
                if (action->text() == u"Quit")
                    action->trigger();
            }
        } else {
            QVERIFY(!window.window.close());
        }

        QuitGuard* guard = window.window.quitGuard();
        QTRY_VERIFY(guard->question());
        QMessageBox* question = guard->question();
        QAbstractButton* stop = buttonWithText(question, QStringLiteral("Stop and Quit"));
        QAbstractButton* keep = buttonWithText(question, QStringLiteral("Keep Running"));
        QVERIFY(stop && keep);
        QCOMPARE(question->defaultButton(), keep);
        // Asking again while the question is open does not stack a second one.
        QVERIFY(!window.window.close());
        QCOMPARE(window.window.findChildren<QMessageBox*>().size(), 1);

        switch (answer) {
        case Answer::StopAndQuit:
            stop->click();
            QVERIFY(window.service->stream()->isCancelRequested());
            // The window waits for the run, and a second close does not ask again.
            QTest::qWait(20);
            QVERIFY(window.window.isVisible());
            QVERIFY(!window.window.close());
            QVERIFY(!guard->question());
            endCancelled(window.service);
            break;
        case Answer::KeepRunning:
            keep->click();
            break;
        case Answer::StopAfterTheRunEndedByItself:
            window.service->finish(ExtractionProgress::completed());
            stop->click();
            break;
        }

        QTRY_VERIFY(!guard->question());
        if (closes) {
            QTRY_VERIFY(!window.window.isVisible());
            return;
        }
        QVERIFY(!window.service->stream()->isCancelRequested());
        QCOMPARE(window.model.state(), ExtractionState::running());
        // A run that then ends by itself leaves the window open.
        window.service->finish(ExtractionProgress::completed());
        QTest::qWait(20);
        QVERIFY(window.window.isVisible());
    }

    // Esc answers the replace question with its Cancel button. The run gets
    // the password as typed, in UTF-8.
    void startAsksWhatTheCheckCallsFor_data() {
        QTest::addColumn<ArchiveInspection>("found");
        QTest::addColumn<bool>("isAccepted");
        QTest::addRow("Replace starts the run") << completeInspection(12) << true;
        QTest::addRow("Cancel, by Esc, leaves everything as it was")
            << completeInspection(12) << false;
        QTest::addRow("OK starts with the typed password") << completeInspection(0, 1) << true;
        QTest::addRow("Cancel on the password starts nothing") << completeInspection(0, 1) << false;
    }
    void startAsksWhatTheCheckCallsFor() {
        QFETCH(ArchiveInspection, found);
        QFETCH(bool, isAccepted);
        ScriptedWindow scripted;
        QVERIFY(checkedWith(scripted, found));

        scripted.model.startExtraction();

        if (QMessageBox* question = scripted.window.replaceQuestion()->question()) {
            QVERIFY(QTest::qWaitForWindowExposed(question));
            if (isAccepted)
                buttonWithText(question, QStringLiteral("Replace"))->click();
            else
                QTest::keyClick(question, Qt::Key_Escape);
        } else {
            QDialog* dialog = scripted.window.passwordQuestion()->dialog();
            QVERIFY(dialog && dialog->isVisible());
            QLineEdit* field = scripted.window.passwordQuestion()->passwordField();
            QTest::keyClicks(field, QStringLiteral("s3cret "));
            field->insert(QStringLiteral("é")); // keyClicks types ASCII only
            dialog->findChild<QDialogButtonBox*>()
                ->button(isAccepted ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)
                ->click();
        }

        QTRY_VERIFY(!scripted.window.replaceQuestion()->question() &&
                    !scripted.window.passwordQuestion()->dialog());
        QTest::qWait(50);
        QTRY_COMPARE(scripted.service->runCount(), isAccepted ? 1 : 0);
        QCOMPARE(scripted.model.state(),
                 isAccepted ? ExtractionState::running() : ExtractionState::idle());
        if (isAccepted && found.encryptedEntries.value_or(0) > 0)
            QCOMPARE(scripted.service->runs.last().password, QStringLiteral("s3cret é").toUtf8());
    }
};

QTEST_MAIN(CancelAndQuitTest)
#include "tst_cancelandquit.moc"
