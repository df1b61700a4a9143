// What a screen reader finds in the window: every text and control named
// in each of the window's main states, and the outcomes and warnings
// announced as they appear.

#include "scriptedwindow.h"

#include <QAccessible>
#include <QTest>

#ifdef KESTRUNE_QPA_ACCESSIBILITY
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#endif

namespace {

// What the screen reader cannot present, as it walks what is shown: an
// unnamed filler, words missing where there should be some, a text that
// reads as editable. Hidden parts are skipped.
void collectUnreadable(QAccessibleInterface* node, QStringList& wrong) {
    if (!node || node->state().invisible)
        return;
    const int children = node->childCount();
    const QAccessible::Role role = node->role();
    const bool wordless = role == QAccessible::Graphic || role == QAccessible::Separator ||
                          role == QAccessible::ScrollBar || role == QAccessible::Grip;
    // Qt lists a text view's viewport inside it; the text view has the words.
    const bool viewport =
        node->object() && node->object()->objectName() == u"qt_scrollarea_viewport";
    const bool editable = role == QAccessible::EditableText && !node->state().readOnly;
    const bool unnamed = node->text(QAccessible::Name).isEmpty() && !wordless;
    if (editable || (children == 0 && !viewport && (role == QAccessible::Client || unnamed)))
        wrong << node->object()->metaObject()->className() +
                     (" in " + node->parent()->text(QAccessible::Name));
    for (int index = 0; index < children; ++index)
        collectUnreadable(node->child(index), wrong);
}

// Switches Qt's accessibility on, as a screen reader that starts listening
// does; without it Qt passes no event on.
bool listenAsAScreenReader() {
#ifdef KESTRUNE_QPA_ACCESSIBILITY
    if (QPlatformAccessibility* platform =
            QGuiApplicationPrivate::platformIntegration()->accessibility())
        platform->setActive(true);
#endif
    return QAccessible::isActive();
}

// Alert events, as the screen reader's bridge receives them.
QStringList alerts;

void recordAlerts(QAccessibleEvent* event) {
    if (event->type() != QAccessible::Alert)
        return;
    QAccessibleInterface* node = event->accessibleInterface();
    QString said = node->text(QAccessible::Name);
    if (const QString reason = node->text(QAccessible::Description); !reason.isEmpty())
        said += QStringLiteral(" — ") + reason;
    alerts << said;
}

// Records alerts while it lives.
struct AlertRecorder {
    AlertRecorder() { alerts.clear(); }
    ~AlertRecorder() { QAccessible::installUpdateHandler(previous); }
    QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(recordAlerts);
};

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QGuiApplication::setApplicationDisplayName(QStringLiteral("Kestrune"));
        m_listening = listenAsAScreenReader();
    }

    // Announcements come each once, in order, and not again with later
    // changes of the window.
    void everyControlIsNamedAndOutcomesAnnounced_data() {
        QTest::addColumn<Situation>("situation");
        QTest::addColumn<QStringList>("said");
        const QString complete = QStringLiteral("Complete archive · 16 files · 1.2 MB unpacked");
        QTest::addRow("a part missing")
            << Situation::MissingPart << QStringList{"Missing parts: part (2)", complete};
        QTest::addRow("done") << Situation::Succeeded << QStringList{complete, "Done"};
        QTest::addRow("failed, with the reason")
            << Situation::Failed
            << QStringList{complete, "Failed — " + ExtractionError::diskFull().errorDescription()};
    }

    void everyControlIsNamedAndOutcomesAnnounced() {
        QFETCH(Situation, situation);
        QFETCH(QStringList, said);
        ScriptedWindow window;
        window.service->inspection = completeInspection();
        AlertRecorder recorder;
        QVERIFY(window.reach(situation));
        QTRY_VERIFY(!window.window.findChild<QWidget*>()->isHidden());

        QStringList wrong;
        collectUnreadable(QAccessible::queryAccessibleInterface(&window.window), wrong);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));

        if (!m_listening)
            QSKIP("Qt's private platform headers (qt6-base-private-dev) are not installed");
        // The check of the parts answers on a later turn of the event loop.
        QTest::qWait(50);
        QCOMPARE(alerts.size(), said.size());
        for (qsizetype index = 0; index < said.size(); ++index)
            QVERIFY2(alerts.at(index).startsWith(said.at(index)), qPrintable(alerts.join(u'\n')));
    }

private:
    bool m_listening = false;
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
