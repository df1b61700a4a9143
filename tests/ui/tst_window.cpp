// The window as a whole: icons and readable colours without a desktop, the
// keyboard's way through it, and its shortcuts.

#include "scriptedwindow.h"
#include "ui/aboutbox.h"
#include "ui/consolepanel.h"
#include "ui/consoletextview.h"
#include "ui/filelistmodel.h"
#include "ui/filelistview.h"
#include "ui/groupheaderview.h"
#include "ui/groupswitcher.h"
#include "ui/symbolbutton.h"
#include "ui/symbolpushbutton.h"
#include "ui/symbols.h"
#include "ui/theme.h"

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QToolButton>

namespace {

QPalette paletteOf(QColor window, QColor text, QColor base, QColor highlight) {
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, QColor("#ffffff"));
    return palette;
}

// The focused keyboard stop, by the name the tests give it.
QString focusName(ScriptedWindow& scripted) {
    const QWidget* focused = QApplication::focusWidget();
    const QList<std::pair<const QWidget*, QString>> stops{
        {scripted.window.contentView()->addPartsButton(), "add parts"},
        {scripted.detail->header()->switcher(), "switcher"},
        {scripted.detail->fileList(), "parts"},
        {scripted.panel->destinationButton(), "destination"},
        {scripted.panel->cancelButton(), "cancel"},
        {scripted.panel->openFolderButton(), "open folder"},
        {scripted.panel->mainButton(), "main"},
        {scripted.detail->console()->textView(), "console"},
        {scripted.detail->console()->clearButton(), "clear"},
    };
    for (const auto& [stop, name] : stops) {
        if (stop == focused)
            return name;
    }
    return focused ? focused->metaObject()->className() : QStringLiteral("nothing");
}

// Tab from a window without focus, round the whole chain once.
QStringList tabChain(ScriptedWindow& scripted) {
    if (QWidget* focused = QApplication::focusWidget())
        focused->clearFocus();
    QTest::keyClick(&scripted.window, Qt::Key_Tab);
    const QWidget* first = QApplication::focusWidget();
    QStringList chain{focusName(scripted)};
    for (int step = 0; step < 20; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (QApplication::focusWidget() == first)
            break;
        chain << focusName(scripted);
    }
    return chain;
}

enum class Removal { DeleteKey, BackspaceKey, FileMenu, ArchiveMenu };

void remove(FileListView* list, Removal removal) {
    if (removal == Removal::DeleteKey || removal == Removal::BackspaceKey) {
        QTest::keyClick(list, removal == Removal::DeleteKey ? Qt::Key_Delete : Qt::Key_Backspace);
        return;
    }
    std::unique_ptr<QMenu> menu(list->createContextMenu(list->currentIndex()));
    menu->actions().at(removal == Removal::FileMenu ? 0 : 1)->trigger();
}

} // namespace

Q_DECLARE_METATYPE(Removal)

class WindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Tinted as a glyph would be, each picture keeps visible pixels.
    void everySymbolHasAnIconWithoutADesktop() {
        for (int value = 0; value <= int(Symbol::Stop); ++value) {
            const auto symbol = Symbol(value);
            const QImage image = Symbols::pixmap(symbol, 16, 1.0, Qt::red).toImage();
            bool anyVisible = false;
            for (int y = 0; y < image.height() && !anyVisible; ++y) {
                for (int x = 0; x < image.width() && !anyVisible; ++x)
                    anyVisible = qAlpha(image.pixel(x, y)) > 0;
            }
            QVERIFY2(anyVisible, qPrintable(Symbols::iconNames(symbol).join(", ")));
        }
    }

    void everyTextToneReadsOnItsBackground_data() {
        QTest::addColumn<QPalette>("palette");
        QTest::addRow("the default palette") << QApplication::palette();
        QTest::addRow("light, soft text") << paletteOf("#dcdcdc", "#3a3a3a", "#f4f4f4", "#4a90d9");
        QTest::addRow("dark, bright accent")
            << paletteOf("#202326", "#fcfcfc", "#141618", "#93cee9");
    }

    // Supporting and signal texts on the window and on lists and the console,
    // and the accent button's label on its fill, all at WCAG AA or better.
    void everyTextToneReadsOnItsBackground() {
        QFETCH(QPalette, palette);
        for (const Tone tone :
             {Tone::Secondary, Tone::Tertiary, Tone::Red, Tone::Green, Tone::Orange}) {
            const QColor text = Theme::color(tone, palette);
            for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Base}) {
                const QColor background = palette.color(role);
                const qreal ratio =
                    Theme::contrastRatio(Theme::blend(text, background, text.alphaF()), background);
                QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("tone %1 on role %2: %3:1")
                                                      .arg(int(tone))
                                                      .arg(int(role))
                                                      .arg(ratio, 0, 'f', 2)));
            }
        }
        const qreal onAccent = Theme::contrastRatio(Theme::color(Tone::OnAccent, palette),
                                                    Theme::color(Tone::AccentFill, palette));
        QVERIFY2(onAccent >= 4.5, qPrintable(QString::number(onAccent, 'f', 2)));
    }

    // Left pane, then the group from top to bottom; never a remove button.
    void tabFollowsTheEye_data() {
        QTest::addColumn<Situation>("situation");
        QTest::addColumn<bool>("twoArchives");
        QTest::addColumn<QStringList>("chain");
        QTest::addRow("no destination yet")
            << Situation::NoDestination << false
            << QStringList{"add parts", "parts", "destination", "console"};
        QTest::addRow("two archives")
            << Situation::Idle << true
            << QStringList{"add parts", "switcher", "parts", "destination", "main", "console"};
        QTest::addRow("running, the switcher off")
            << Situation::Running << true
            << QStringList{"add parts", "parts", "destination", "cancel", "console", "clear"};
        QTest::addRow("done") << Situation::Succeeded << false
                              << QStringList{"add parts", "parts",   "destination", "open folder",
                                             "main",      "console", "clear"};
    }

    void tabFollowsTheEye() {
        QFETCH(Situation, situation);
        ScriptedWindow scripted;
        QFETCH(bool, twoArchives);
        if (twoArchives)
            scripted.model.addFiles({scripted.parts.make("other.zip")});
        QVERIFY(scripted.reach(situation));
        if (situation >= Situation::Running)
            scripted.model.setConsoleOutput(QStringLiteral("▶ Merging 2 parts\n"));

        QTEST(tabChain(scripted), "chain");
    }

    // A drop shows the group's controls and leaves the focus where it was.
    // Start disables itself: the focus moves to Cancel rather than on past it,
    // and back to the main button once the run has ended.
    void focusStaysOnControlsThatComeAndGo() {
        ScriptedWindow scripted;
        QVERIFY(scripted.reach(Situation::Empty));
        QCOMPARE(focusName(scripted), QStringLiteral("add parts"));
        scripted.model.addFiles({scripted.parts.location("archive.zip")});
        QCOMPARE(focusName(scripted), QStringLiteral("add parts"));

        scripted.chooseDestination();
        scripted.panel->mainButton()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(scripted.panel->mainButton(), Qt::Key_Space);
        QVERIFY(QTest::qWaitFor([&] { return scripted.service->runCount() == 1; }));
        QCOMPARE(focusName(scripted), QStringLiteral("cancel"));

        scripted.service->finish(ExtractionProgress::error(ExtractionError::diskFull()));
        QCOMPARE(focusName(scripted), QStringLiteral("main"));
    }

    void keyboardRemovesPartsButNotDuringARun_data() {
        QTest::addColumn<Removal>("removal");
        QTest::addColumn<int>("partsLeft");
        QTest::addRow("Delete") << Removal::DeleteKey << 1;
        QTest::addRow("Backspace") << Removal::BackspaceKey << 1;
        QTest::addRow("menu: this file") << Removal::FileMenu << 1;
        QTest::addRow("menu: this archive") << Removal::ArchiveMenu << 0;
    }

    void keyboardRemovesPartsButNotDuringARun() {
        QFETCH(Removal, removal);
        ScriptedWindow scripted;
        QVERIFY(scripted.reach(Situation::Running));
        FileListView* list = scripted.detail->fileList();
        list->setFocus(Qt::TabFocusReason);
        QTest::keyClick(list, Qt::Key_Down); // from the first row, where the focus arrived
        const auto partsLeft = [&] {
            const auto& group = scripted.model.selectedGroup();
            return group ? int(group->files.size()) : 0;
        };

        // Each row's remove control and the header's show they are off meanwhile.
        const auto removable = [&] {
            QList<bool> states;
            for (int row = 0; row < list->fileModel()->rowCount(); ++row)
                states << list->fileModel()->index(row).data(FileListModel::RemovableRole).toBool();
            return states << scripted.detail->header()->removeButton()->isEnabled();
        };

        remove(list, removal);
        QCOMPARE(partsLeft(), 2);
        QCOMPARE(removable(), (QList<bool>{false, false, false}));

        scripted.service->finish(ExtractionProgress::completed());
        QCOMPARE(removable(), (QList<bool>{true, true, true}));
        remove(list, removal);
        QTEST(partsLeft(), "partsLeft");
        if (partsLeft())
            QCOMPARE(scripted.model.selectedGroup()->files.first(),
                     scripted.parts.location("archive.zip"));
    }

    void f1ShowsOneAboutBoxAndCtrlQCloses() {
        QCoreApplication::setApplicationVersion(QStringLiteral("9.8.7"));
        ScriptedWindow scripted;
        QVERIFY(QTest::qWaitForWindowActive(&scripted.window));

        QTest::keyClick(&scripted.window, Qt::Key_F1);
        QTest::keyClick(&scripted.window, Qt::Key_F1);
        QCOMPARE(scripted.window.findChildren<AboutBox*>().size(), 1);
        AboutBox* about = scripted.window.aboutBox();
        QVERIFY2(about->text().contains(QStringLiteral("9.8.7")), qPrintable(about->text()));
        about->close();

        QVERIFY(QTest::qWaitForWindowActive(&scripted.window));
        QTest::keyClick(&scripted.window, Qt::Key_Q, Qt::ControlModifier);
        QTRY_VERIFY(!scripted.window.isVisible());
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
