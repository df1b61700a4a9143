// The window's controls over a run: Cancel and Esc, the trash buttons while
// it goes, and the question asked when the window is closed during a run.

#include "scriptedwindow.h"
#include "ui/filelistmodel.h"
#include "ui/filelistview.h"
#include "ui/groupheaderview.h"
#include "ui/quitguard.h"
#include "ui/statuslabel.h"
#include "ui/symbolbutton.h"
#include "ui/symbolpushbutton.h"

#include <QAction>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace {

enum class QuitBy { ClosingTheWindow, QuitAction };
enum class Answer { StopAndQuit, KeepRunning, Escape, StopAfterTheRunEndedByItself };

QAbstractButton* buttonWithText(QMessageBox* box, const QString& text) {
    const QList<QAbstractButton*> buttons = box->buttons();
    const auto found = std::find_if(buttons.cbegin(), buttons.cend(), [&](QAbstractButton* button) {
        return button->text() == text;
    });
    return found == buttons.cend() ? nullptr : *found;
}

// The window's Quit (Ctrl+Q on a desktop).
QAction* quitAction(QWidget& window) {
    const QList<QAction*> actions = window.actions();
    const auto found = std::find_if(actions.cbegin(), actions.cend(),
                                    [](QAction* action) { return action->text() == u"Quit"; });
    return found == actions.cend() ? nullptr : *found;
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
    void removalButtonsAreOffWhileRunning();
    void quitDuringARunAsksFirst_data();
    void quitDuringARunAsksFirst();
    void quitOutsideARunDoesNotAsk_data();
    void quitOutsideARunDoesNotAsk();
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
    QCOMPARE(cancel->accessibleName(), QStringLiteral("Cancel extraction"));
    QVERIFY(cancel->isEnabled());

    if (byEsc)
        QTest::keyClick(&window.window, Qt::Key_Escape);
    else
        cancel->click();

    QVERIFY(window.service->stream()->isCancelRequested());
    // The run takes a moment to stop; it is not asked twice meanwhile.
    QVERIFY(cancel->isVisible());
    QVERIFY(!cancel->isEnabled());
    QCOMPARE(window.panel->mainButton()->text(), QStringLiteral("Stopping…"));

    endCancelled(window.service);
    QVERIFY(!cancel->isVisible());
    QCOMPARE(window.panel->statusLabel()->text(), QStringLiteral("Failed"));
    QCOMPARE(window.model.state().message(), QStringLiteral("Extraction cancelled."));
    QVERIFY(window.panel->mainButton()->isEnabled());
}

void CancelAndQuitTest::removalButtonsAreOffWhileRunning() {
    ScriptedWindow window;
    DetailPane* pane = window.window.contentView()->detailPane();
    FileListView* list = pane->fileList();
    // Whether each row's control, then the header's, allows removing.
    const auto removable = [&] {
        QList<bool> states;
        for (int row = 0; row < list->fileModel()->rowCount(); ++row)
            states << list->fileModel()->index(row).data(FileListModel::RemovableRole).toBool();
        return states << pane->header()->removeButton()->isEnabled();
    };
    const auto clickFirstRowsControl = [&] {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->removeButtonRect(0).center());
    };
    QCOMPARE(removable(), (QList<bool>{true, true, true}));

    QVERIFY(window.reach(Situation::Running));
    QCOMPARE(removable(), (QList<bool>{false, false, false}));
    // A file dropped meanwhile gets a row whose control is off as well.
    window.model.addFiles({window.parts.make("archive(2).zip", 10)});
    QCOMPARE(removable(), (QList<bool>{false, false, false, false}));
    clickFirstRowsControl();
    QCOMPARE(window.model.selectedGroup()->files.size(), 3);

    window.service->finish(ExtractionProgress::completed());
    QCOMPARE(removable(), (QList<bool>{true, true, true, true}));
    clickFirstRowsControl();
    QCOMPARE(window.model.selectedGroup()->files.size(), 2);
}

void CancelAndQuitTest::quitDuringARunAsksFirst_data() {
    QTest::addColumn<QuitBy>("quitBy");
    QTest::addColumn<Answer>("answer");
    QTest::addColumn<bool>("closes");

    for (const QuitBy quitBy : {QuitBy::ClosingTheWindow, QuitBy::QuitAction}) {
        const char* how = quitBy == QuitBy::QuitAction ? "Quit" : "closing the window";
        QTest::addRow("%s, Stop and Quit cancels and closes once stopped", how)
            << quitBy << Answer::StopAndQuit << true;
        QTest::addRow("%s, Keep Running leaves the run and the window", how)
            << quitBy << Answer::KeepRunning << false;
    }
    QTest::addRow("Esc on the question keeps running")
        << QuitBy::ClosingTheWindow << Answer::Escape << false;
    QTest::addRow("Stop and Quit after the run ended by itself closes")
        << QuitBy::ClosingTheWindow << Answer::StopAfterTheRunEndedByItself << true;
}

void CancelAndQuitTest::quitDuringARunAsksFirst() {
    QFETCH(QuitBy, quitBy);
    QFETCH(Answer, answer);
    QFETCH(bool, closes);
    ScriptedWindow window;
    QVERIFY(window.reach(Situation::Running));
    QVERIFY(QTest::qWaitForWindowActive(&window.window));

    // Through the action, since the offscreen platform binds no key to Quit.
    if (quitBy == QuitBy::QuitAction)
        quitAction(window.window)->trigger();
    else
        QVERIFY(!window.window.close());

    QuitGuard* guard = window.window.quitGuard();
    QTRY_VERIFY(guard->question());
    QMessageBox* question = guard->question();
    QCOMPARE(question->text(), QStringLiteral("An extraction is running. Stop it and quit?"));
    QAbstractButton* stop = buttonWithText(question, QStringLiteral("Stop and Quit"));
    QAbstractButton* keep = buttonWithText(question, QStringLiteral("Keep Running"));
    QVERIFY(stop && keep);
    QCOMPARE(question->defaultButton(), keep);
    QCOMPARE(question->escapeButton(), keep);
    // Asking again while the question is open does not stack a second one.
    QVERIFY(!window.window.close());
    QCOMPARE(window.window.findChildren<QMessageBox*>().size(), 1);

    switch (answer) {
    case Answer::StopAndQuit:
        stop->click();
        QVERIFY(window.service->stream()->isCancelRequested());
        QVERIFY(!window.panel->cancelButton()->isEnabled());
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
    QTest::qWait(20);
    QVERIFY(window.window.isVisible());
    QVERIFY(!window.service->stream()->isCancelRequested());
    QCOMPARE(window.model.state(), ExtractionState::running());
    QVERIFY(window.panel->cancelButton()->isEnabled());
    // A run that then ends by itself leaves the window open.
    window.service->finish(ExtractionProgress::completed());
    QTest::qWait(20);
    QVERIFY(window.window.isVisible());
}

void CancelAndQuitTest::quitOutsideARunDoesNotAsk_data() {
    QTest::addColumn<Situation>("situation");
    QTest::addRow("idle") << Situation::Idle;
    QTest::addRow("after a success") << Situation::Succeeded;
    QTest::addRow("after a failure") << Situation::FailedWithDestination;
}

void CancelAndQuitTest::quitOutsideARunDoesNotAsk() {
    QFETCH(Situation, situation);
    ScriptedWindow window;
    QVERIFY(window.reach(situation));
    QVERIFY(window.window.close());
    QVERIFY(!window.window.isVisible());
    QVERIFY(!window.window.quitGuard()->question());
}

QTEST_MAIN(CancelAndQuitTest)
#include "tst_cancelandquit.moc"
