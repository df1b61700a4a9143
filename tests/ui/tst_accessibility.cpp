// What a screen reader finds in the window: every text and control named,
// in the role it plays, in each of the window's main states, and the
// outcomes and warnings announced as they appear.

#include "scriptedwindow.h"

#include <QAccessible>
#include <QTest>

#ifdef KESTRUNE_QPA_ACCESSIBILITY
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#endif

namespace {

struct Node {
    QAccessible::Role role;
    QString name;
    friend bool operator==(const Node&, const Node&) = default;
};
using Nodes = QList<Node>;

// What is shown, as the screen reader walks it; hidden parts are skipped.
// `wrong` gets the leaves a reader cannot present: an unnamed filler, words
// missing where there should be some, a text that reads as editable.
void collect(QAccessibleInterface* node, Nodes& shown, Nodes& wrong) {
    if (!node || node->state().invisible)
        return;
    const int children = node->childCount();
    const Node found{node->role(), node->text(QAccessible::Name)};
    shown << found;
    const bool wordless = found.role == QAccessible::Graphic ||
                          found.role == QAccessible::Separator ||
                          found.role == QAccessible::ScrollBar || found.role == QAccessible::Grip;
    // Qt lists a text view's viewport inside it; the text view has the words.
    const bool viewport =
        node->object() && node->object()->objectName() == u"qt_scrollarea_viewport";
    const bool editable = found.role == QAccessible::EditableText && !node->state().readOnly;
    if (editable || (children == 0 && !viewport &&
                     (found.role == QAccessible::Client || (found.name.isEmpty() && !wordless))))
        wrong << Node{found.role, node->object()->metaObject()->className() +
                                      (" in " + node->parent()->text(QAccessible::Name))};
    for (int index = 0; index < children; ++index)
        collect(node->child(index), shown, wrong);
}

QString describe(const Nodes& nodes) {
    QStringList lines;
    for (const Node& node : nodes)
        lines << QStringLiteral("%1 \"%2\"").arg(int(node.role), 2, 16).arg(node.name);
    return lines.join(u'\n');
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
    void everyTextAndControlIsNamedAndOutcomesAnnounced_data() {
        QTest::addColumn<Situation>("situation");
        QTest::addColumn<Nodes>("expected");
        QTest::addColumn<QStringList>("said");
        using A = QAccessible;
        const QString complete = QStringLiteral("Complete archive · 16 files · 1.2 MB unpacked");
        QTest::addRow("empty") << Situation::Empty
                               << Nodes{{A::Window, "Kestrune"},
                                        {A::StaticText, "Drop .zip parts here"},
                                        {A::Button, "Add Parts…"},
                                        {A::StaticText, "Drop split .zip files to get started"}}
                               << QStringList{};
        QTest::addRow("a part missing") << Situation::MissingPart
                                        << Nodes{{A::Graphic, "Warning"},
                                                 {A::List, "Part files"},
                                                 {A::ListItem, "archive.zip, base part, 10 bytes"},
                                                 {A::ListItem, "archive(3).zip, part 3, 10 bytes"},
                                                 {A::StaticText, "Destination"},
                                                 {A::EditableText, "Console"}}
                                        << QStringList{"Missing parts: part (2)", complete};
        QTest::addRow("a clash") << Situation::Clash << Nodes{{A::Graphic, "Error"}}
                                 << QStringList{"Two files claim part 1", complete};
        QTest::addRow("running") << Situation::Running
                                 << Nodes{{A::Window, "40 % — Kestrune"},
                                          {A::ProgressBar, "Extraction progress"},
                                          {A::Button, "Cancel extraction"}}
                                 << QStringList{complete};
        QTest::addRow("done") << Situation::Succeeded
                              << Nodes{{A::StaticText, "Done"}, {A::Button, "Open Folder"}}
                              << QStringList{complete, "Done"};
        QTest::addRow("failed, with the reason")
            << Situation::Failed << Nodes{{A::StaticText, "Failed"}}
            << QStringList{complete, "Failed — " + ExtractionError::diskFull().errorDescription()};
    }

    void everyTextAndControlIsNamedAndOutcomesAnnounced() {
        QFETCH(Situation, situation);
        QFETCH(Nodes, expected);
        QFETCH(QStringList, said);
        ScriptedWindow window;
        window.service->inspection = completeInspection();
        AlertRecorder recorder;
        QVERIFY(window.reach(situation));
        // Sizes are read on a thread of their own.
        if (situation != Situation::Empty)
            QTRY_VERIFY(window.model.selectedGroup() &&
                        !window.window.findChild<QWidget*>()->isHidden());

        Nodes shown;
        Nodes wrong;
        const auto walk = [&] {
            shown.clear();
            wrong.clear();
            collect(QAccessible::queryAccessibleInterface(&window.window), shown, wrong);
            return std::all_of(expected.cbegin(), expected.cend(),
                               [&](const Node& node) { return shown.contains(node); });
        };
        QTRY_VERIFY2(walk(), qPrintable(describe(shown)));
        QVERIFY2(wrong.isEmpty(), qPrintable(describe(wrong)));

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
