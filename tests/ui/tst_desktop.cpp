// The window among the desktop's own ways: files named at launch, the
// title that window lists and screen readers read, the folder chooser's
// first folder, and Open Folder after a run.

#include "englishtexts.h"
#include "platform/launcharguments.h"
#include "scriptedwindow.h"
#include "ui/contentview.h"
#include "ui/destinationpicker.h"
#include "ui/partspicker.h"
#include "ui/symbolpushbutton.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QProcess>
#include <QTest>

namespace {

// Stands in for the file manager: records what the window asked to open.
class OpenedUrls : public QObject {
    Q_OBJECT

public:
    OpenedUrls() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl& url) { urls << url; }
};

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { useEnglishTexts(); }

    void launchArgumentsNameFiles_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("paths");
        QTest::addRow("a path relative to the launch's folder")
            << QStringList{"a.zip", "sub/../a(1).zip"}
            << QStringList{"/home/u/Downloads/a.zip", "/home/u/Downloads/a(1).zip"};
        QTest::addRow("an absolute path") << QStringList{"/tmp/x.zip"} << QStringList{"/tmp/x.zip"};
        QTest::newRow("a file URL, as %U hands it over")
            << QStringList{"file:///tmp/with%20space.zip"} << QStringList{"/tmp/with space.zip"};
        QTest::addRow("other URLs and empty arguments name nothing")
            << QStringList{"https://example.org/a.zip", ""} << QStringList{};
    }
    void launchArgumentsNameFiles() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, paths);
        QList<QUrl> expected;
        for (const QString& path : paths)
            expected << QUrl::fromLocalFile(path);

        QCOMPARE(locationsFromArguments(arguments, QStringLiteral("/home/u/Downloads")), expected);
    }

    void appAnswersHelpAndVersion() {
        QProcess app;
        app.start(qEnvironmentVariable("KESTRUNE_APP"), {"--version"});
        QVERIFY(app.waitForFinished(20000));
        QCOMPARE(app.exitCode(), 0);
        QVERIFY2(app.readAllStandardOutput().startsWith("Kestrune "), "version line");

        app.start(qEnvironmentVariable("KESTRUNE_APP"), {"--help"});
        QVERIFY(app.waitForFinished(20000));
        QCOMPARE(app.exitCode(), 0);
        QVERIFY(app.readAllStandardOutput().contains("[FILE...]"));
    }

    void titleNamesTheAppAndTheProgress() {
        ScriptedWindow scripted;
        const QString name = QGuiApplication::applicationDisplayName();
        QCOMPARE(scripted.window.windowTitle(), name);

        QVERIFY(scripted.reach(Situation::Running)); // at 40 %
        QCOMPARE(scripted.window.windowTitle(), "40 % — " + name);
        scripted.service->finish(ExtractionProgress::completed());

        QCOMPARE(scripted.window.windowTitle(), name);
    }

    void chooserStartsWhereThePartsAre() {
        ScriptedWindow scripted;
        scripted.panel->destinationButton()->click();
        DestinationPicker* picker = scripted.window.contentView()->destinationPicker();
        QVERIFY(picker->isPresented());

        QCOMPARE(QDir(picker->dialog()->directoryUrl().toLocalFile()).canonicalPath(),
                 QDir(scripted.parts.path()).canonicalPath());
        picker->dialog()->reject();
    }

    void addPartsAddsTheChosenFiles_data() {
        QTest::addColumn<bool>("byKey");
        QTest::addRow("the Add Parts button") << false;
        QTest::addRow("Ctrl+O") << true;
    }
    void addPartsAddsTheChosenFiles() {
        QFETCH(bool, byKey);
        ScriptedWindow scripted;
        const QUrl more = scripted.parts.make("archive(2).zip", 10);
        ContentView* content = scripted.window.contentView();

        if (byKey) {
            scripted.window.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&scripted.window));
            QTest::keyClick(&scripted.window, Qt::Key_O, Qt::ControlModifier);
        } else {
            content->addPartsButton()->click();
        }
        QVERIFY(content->partsPicker()->isPresented());
        QFileDialog* dialog = content->partsPicker()->dialog();
        QCOMPARE(QDir(dialog->directoryUrl().toLocalFile()).canonicalPath(),
                 QDir(scripted.parts.path()).canonicalPath());
        dialog->selectUrl(more);
        static_cast<QDialog*>(dialog)->accept();

        QCOMPARE(scripted.model.selectedGroup()->files.size(), 3);
        QCOMPARE(scripted.model.selectedGroup()->files.last(), more);
    }

    // Not only the drop zone: files dropped on the parts list count too.
    void filesDroppedAnywhereAreAdded() {
        ScriptedWindow scripted;
        const QUrl more = scripted.parts.make("archive(2).zip", 10);
        ContentView* content = scripted.window.contentView();
        QMimeData dragged;
        dragged.setUrls({more, QUrl(QStringLiteral("https://example.org/x.zip"))});
        const QPoint inside = content->detailPane()->geometry().center();

        QDragEnterEvent enter(inside, Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(content, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(inside), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(content, &drop);

        QCOMPARE(scripted.model.selectedGroup()->files.size(), 3);
        QVERIFY(scripted.model.selectedGroup()->files.contains(more));
    }

    void ignoredFilesAreToldForAWhile() {
        ScriptedWindow scripted;
        ContentView* content = scripted.window.contentView();
        QCOMPARE(content->noticeText(), QString());

        scripted.model.addFiles(
            {scripted.parts.make("notes.txt", 1), scripted.parts.make("photo.jpg", 1)});

        QCOMPARE(content->noticeText(),
                 QStringLiteral("2 files were not split zip parts and were ignored"));
    }

    void openFolderShowsTheDestinationAfterSuccess_data() {
        QTest::addColumn<Situation>("situation");
        QTest::addColumn<bool>("isOffered");
        QTest::addRow("idle") << Situation::Idle << false;
        QTest::addRow("running") << Situation::Running << false;
        QTest::addRow("failed") << Situation::FailedWithDestination << false;
        QTest::addRow("succeeded") << Situation::Succeeded << true;
    }
    void openFolderShowsTheDestinationAfterSuccess() {
        QFETCH(Situation, situation);
        QFETCH(bool, isOffered);
        OpenedUrls fileManager;
        ScriptedWindow scripted;
        QVERIFY(scripted.reach(situation));

        SymbolPushButton* openFolder = scripted.panel->openFolderButton();
        QCOMPARE(openFolder->isVisibleTo(scripted.panel), isOffered);
        if (!isOffered)
            return;
        openFolder->click();
        QCOMPARE(fileManager.urls, QList<QUrl>{QUrl::fromLocalFile(scripted.parts.path())});
    }
};

QTEST_MAIN(DesktopTest)
#include "tst_desktop.moc"
