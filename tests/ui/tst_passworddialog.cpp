// The password dialog Start opens for an encrypted archive: what OK and
// Cancel lead to, and the "Show password" toggle.

#include "scriptedwindow.h"
#include "ui/passwordquestion.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>

class PasswordDialogTest : public QObject {
    Q_OBJECT

private:
    // A window whose check has found encrypted entries, with Start pressed.
    static QDialog* askedFor(ScriptedWindow& window) {
        ArchiveInspection inspection;
        inspection.complete = true;
        inspection.encryptedEntries = 1;
        window.service->inspection = inspection;
        window.chooseDestination();
        if (!QTest::qWaitFor([&] { return !window.model.isInspecting(); }))
            return nullptr;
        window.model.startExtraction();
        return window.window.passwordQuestion()->dialog();
    }

private Q_SLOTS:
    void theAnswerDecidesWhetherARunStarts_data() {
        QTest::addColumn<QDialogButtonBox::StandardButton>("button");
        QTest::addColumn<int>("runs");
        QTest::addRow("OK starts with the typed password") << QDialogButtonBox::Ok << 1;
        QTest::addRow("Cancel starts nothing") << QDialogButtonBox::Cancel << 0;
    }
    void theAnswerDecidesWhetherARunStarts() {
        QFETCH(QDialogButtonBox::StandardButton, button);
        QFETCH(int, runs);
        ScriptedWindow window;
        QDialog* dialog = askedFor(window);
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QLineEdit* field = window.window.passwordQuestion()->passwordField();
        QTest::keyClicks(field, QStringLiteral("s3cret "));
        field->insert(QStringLiteral("é")); // keyClicks types ASCII only

        dialog->findChild<QDialogButtonBox*>()->button(button)->click();

        if (runs > 0)
            QVERIFY(QTest::qWaitFor([&] { return window.service->runCount() == runs; }));
        else
            QTest::qWait(20);
        QCOMPARE(window.service->runCount(), runs);
        if (runs > 0)
            QCOMPARE(window.service->runs.last().password, QStringLiteral("s3cret é").toUtf8());
        else
            QCOMPARE(window.model.state(), ExtractionState::idle());
        QTRY_VERIFY(!window.window.passwordQuestion()->dialog());
    }

    void showPasswordRevealsTheText() {
        ScriptedWindow window;
        QDialog* dialog = askedFor(window);
        QVERIFY(dialog);
        QLineEdit* field = window.window.passwordQuestion()->passwordField();
        QCOMPARE(field->echoMode(), QLineEdit::Password);

        dialog->findChild<QCheckBox*>()->click();
        QCOMPARE(field->echoMode(), QLineEdit::Normal);
        dialog->findChild<QCheckBox*>()->click();
        QCOMPARE(field->echoMode(), QLineEdit::Password);
    }
};

QTEST_MAIN(PasswordDialogTest)
#include "tst_passworddialog.moc"
