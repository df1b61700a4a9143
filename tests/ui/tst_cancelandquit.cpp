// The window's controls over a run: Cancel and Esc, and the question asked
// when the window is closed during it.

#include "scriptedwindow.h"
#include "ui/quitguard.h"
#include "ui/statuslabel.h"
#include "ui/symbolpushbutton.h"

#include <QAction>
#include <QMessageBox>
#include <QTest>

namespace {

enum class QuitBy { ClosingTheWindow, QuitAction };
enum class Answer { StopAndQuit, KeepRunning, Escape, StopAfterTheRunEndedByItself };

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

} // namespace

Q_DECLARE_METATYPE(QuitBy)
Q_DECLARE_METATYPE(Answer)

class CancelAndQuitTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cancelStopsTheRun_data();
    void cancelStopsTheRun();
    void quitDuringARunAsksFirst_data();
    void quitDuringARunAsksFirst();
};

void CancelAndQuitTest::cancelStopsTheRun_data() {
    QTest::addColumn<bool>("byEsc");
    QTest::addRow("by the Cancel button") << false;
    QTest::addRow("by Esc") << true;
}

void CancelAndQuitTest::cancelStopsTheRun() {
    QFETCH(bool, byEsc);
    ScriptedWindow window;
    QVERIFY(window.reach(Situation::Running));
    QVERIFY(QTest::qWaitForWindowActive(&window.window));
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
    QCOMPARE(window.panel->statusLabel()->text(), QStringLiteral("Failed"));
    QCOMPARE(window.model.state().message(), QStringLiteral("Extraction cancelled."));
    QVERIFY(window.panel->mainButton()->isEnabled());
}

void CancelAndQuitTest::quitDuringARunAsksFirst_data() {
    QTest::addColumn<QuitBy>("quitBy");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("closes");

    QTest::addRow("closing, Stop and Quit cancels and closes once stopped")
        << QuitBy::ClosingTheWindow << Answer::StopAndQuit << true;
    QTest::addRow("Quit, Keep Running leaves the run and the window")
        << QuitBy::QuitAction << Answer::KeepRunning << false;
    QTest::addRow("Esc on the question keeps running")
        << QuitBy::ClosingTheWindow << Answer::Escape << false;
    QTest::addRow("Stop and Quit after the run ended by itself closes")
        << QuitBy::QuitAction << Answer::StopAfterTheRunEndedByItself << true;
}

void CancelAndQuitTest::quitDuringARunAsksFirst() {
    QFETCH(QuitBy, quitBy);
    QFETCH(Answer, answer);
    QFETCH(bool, closes);
    ScriptedWindow window;
    QVERIFY(window.reach(Situation::Running));
    QVERIFY(QTest::qWaitForWindowActive(&window.window));

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
    QCOMPARE(question->text(), QStringLiteral("An extraction is running. Stop it and quit?"));
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
    case Answer::Escape:
        QTest::keyClick(question, Qt::Key_Escape);
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

QTEST_MAIN(CancelAndQuitTest)
#include "tst_cancelandquit.moc"
