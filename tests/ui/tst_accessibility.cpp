// What a screen reader finds in the window: every text and control named,
// in the role it plays, in each of the window's main states, and the
// outcomes and warnings announced as they appear.

#include "englishtexts.h"
#include "model/extractionviewmodel.h"
#include "partfiles.h"
#include "scriptedservice.h"
#include "ui/mainwindow.h"

#include <QAccessible>
#include <QTest>

#ifdef KESTRUNE_QPA_ACCESSIBILITY
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#endif

namespace {

enum class State { Empty, MissingPart, Clash, Running, Done, Failed };

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

struct Window {
    Window()
        : service(new ScriptedService)
        , model(service)
        , window(&model) {
        window.show();
    }

    bool reach(State state) {
        if (state == State::Empty)
            return true;
        service->inspection = completeInspection();
        model.addFiles({parts.make("archive.zip", 1'200'000), parts.make("archive(2).zip", 900)});
        model.setDestinationURL(QUrl::fromLocalFile(parts.path()));
        if (state == State::MissingPart)
            return true;
        if (state == State::Clash) {
            model.addFiles({otherFolder.make("archive.zip")});
            return true;
        }
        const int before = service->runCount();
        model.startExtraction();
        if (!QTest::qWaitFor([&] { return service->runCount() > before; }))
            return false;
        service->stream()->deliver(ExtractionProgress::progress(0.4));
        if (state == State::Done)
            service->finish(ExtractionProgress::completed());
        if (state == State::Failed)
            service->finish(ExtractionProgress::error(ExtractionError::diskFull()));
        return true;
    }

    PartFiles parts;
    PartFiles otherFolder;
    ScriptedService* service;
    ExtractionViewModel model;
    MainWindow window;
};

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

Q_DECLARE_METATYPE(State)

class AccessibilityTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        useEnglishTexts();
        QGuiApplication::setApplicationDisplayName(QStringLiteral("Kestrune"));
        m_listening = listenAsAScreenReader();
    }

    void everyTextAndControlIsNamed_data() {
        QTest::addColumn<State>("state");
        QTest::addColumn<Nodes>("expected");
        using A = QAccessible;
        QTest::addRow("empty") << State::Empty
                               << Nodes{{A::Window, "Kestrune"},
                                        {A::StaticText, "Drop .zip parts here"},
                                        {A::Button, "Add Parts…"},
                                        {A::StaticText, "Drop split .zip files to get started"}};
        QTest::addRow("a part missing")
            << State::MissingPart
            << Nodes{{A::StaticText, "archive"},
                     {A::StaticText, "2 parts · 1.2 MB"},
                     {A::StaticText, "Complete archive · 16 files · 1.2 MB unpacked"},
                     {A::Graphic, "Warning"},
                     {A::StaticText, "Missing parts: part (1)"},
                     {A::List, "Part files"},
                     {A::ListItem, "archive.zip, base part, 1.2 MB"},
                     {A::ListItem, "archive(2).zip, part 2, 900 bytes"},
                     {A::StaticText, "Destination"},
                     {A::Button, "Start Extraction"},
                     {A::StaticText, "Console"},
                     {A::EditableText, "Console"}};
        QTest::addRow("running") << State::Running
                                 << Nodes{{A::Window, "40 % — Kestrune"},
                                          {A::ProgressBar, "Extraction progress"},
                                          {A::Button, "Cancel extraction"},
                                          {A::Button, "Running…"}};
        QTest::addRow("done") << State::Done
                              << Nodes{{A::StaticText, "Done"},
                                       {A::Button, "Open Folder"},
                                       {A::Button, "Clear"}};
        QTest::addRow("failed") << State::Failed
                                << Nodes{{A::StaticText, "Failed"},
                                         {A::Button, "Start Extraction"}};
    }

    void everyTextAndControlIsNamed() {
        QFETCH(State, state);
        QFETCH(Nodes, expected);
        Window window;
        QVERIFY(window.reach(state));
        // Sizes are read on a thread of their own.
        if (state != State::Empty)
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
    }

    // Each once, in order, and not again with later changes of the window.
    void outcomesAndWarningsAreAnnounced_data() {
        QTest::addColumn<State>("state");
        QTest::addColumn<QStringList>("said");
        const QString missing = QStringLiteral("Missing parts: part (1)");
        const QString complete = QStringLiteral("Complete archive · 16 files · 1.2 MB unpacked");
        QTest::addRow("a part missing") << State::MissingPart << QStringList{missing, complete};
        QTest::addRow("a clash") << State::Clash
                                 << QStringList{missing, "Two files claim the base part", complete};
        QTest::addRow("done") << State::Done << QStringList{missing, complete, "Done"};
        QTest::addRow("failed, with the reason")
            << State::Failed
            << QStringList{missing, complete,
                           "Failed — " + ExtractionError::diskFull().errorDescription()};
    }

    void outcomesAndWarningsAreAnnounced() {
        QFETCH(State, state);
        QFETCH(QStringList, said);
        if (!m_listening)
            QSKIP("Qt's private platform headers (qt6-base-private-dev) are not installed");
        Window window;
        AlertRecorder recorder;

        QVERIFY(window.reach(state));
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
