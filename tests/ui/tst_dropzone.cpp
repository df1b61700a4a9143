// Files coming in: what the drop zone takes and passes on, files dropped
// on the window becoming its groups, and parts chosen by Add Parts….

#include "scriptedwindow.h"
#include "ui/dropzoneview.h"
#include "ui/partspicker.h"
#include "ui/symbolpushbutton.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

namespace {

using Locations = QList<QUrl>;
using Dragged = std::shared_ptr<QMimeData>;

Dragged urlData(const Locations& urls) {
    auto data = std::make_shared<QMimeData>();
    data->setUrls(urls);
    return data;
}

// A drag entering or a drop, as the window system sends it; whether it was taken.
template<typename Event> bool send(QWidget* target, const QMimeData* data, QPoint at = {10, 10}) {
    Event event(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
    return event.isAccepted();
}

QUrl local(const QString& path) {
    return QUrl::fromLocalFile(path);
}

} // namespace

Q_DECLARE_METATYPE(Dragged)

class DropZoneTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dropZoneTakesLocalFilesOnly_data() {
        QTest::addColumn<Dragged>("dragged");
        QTest::addColumn<Locations>("reported"); // none: the drag is refused

        const Locations parts{local("/downloads/archive.zip"), local("/downloads/archive(1).zip")};
        QTest::addRow("parts arrive in one call") << urlData(parts) << parts;
        const Locations anyKind{local("/downloads/notes.txt"), local("/downloads/photos/")};
        QTest::addRow("a text file and a folder are passed on for the grouping to ignore")
            << urlData(anyKind) << anyKind;
        QTest::addRow("remote locations among local files are left out")
            << urlData({QUrl("https://example.org/archive.zip"), local("/downloads/archive.zip")})
            << Locations{local("/downloads/archive.zip")};
        auto text = std::make_shared<QMimeData>();
        text->setText(QStringLiteral("archive.zip"));
        QTest::addRow("plain text is refused") << text << Locations{};
        QTest::addRow("a web address only is refused")
            << urlData({QUrl("https://example.org/a.zip")}) << Locations{};
    }

    // The zone lights up while a drag it takes is over it, and not after.
    void dropZoneTakesLocalFilesOnly() {
        QFETCH(Dragged, dragged);
        QFETCH(Locations, reported);
        const bool accepted = !reported.isEmpty();
        DropZoneView zone;
        QSignalSpy dropped(&zone, &DropZoneView::dropped);

        QCOMPARE(send<QDragEnterEvent>(&zone, dragged.get()), accepted);
        QCOMPARE(zone.isTargeted(), accepted);
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(&zone, &leave);
        QVERIFY(!zone.isTargeted());
        QCOMPARE(send<QDragEnterEvent>(&zone, dragged.get()), accepted);
        QCOMPARE(send<QDropEvent>(&zone, dragged.get()), accepted);

        QVERIFY(!zone.isTargeted());
        QCOMPARE(dropped.count(), accepted ? 1 : 0);
        if (accepted)
            QCOMPARE(dropped.first().first().value<Locations>(), reported);
    }

    // On the zone or anywhere else on the window; files that are no parts are
    // told about.
    void filesDroppedOnTheWindowAreGrouped() {
        ScriptedWindow scripted;
        scripted.model.reset();
        PartFiles& parts = scripted.parts;
        ContentView* content = scripted.window.contentView();
        const Dragged onZone = urlData({parts.make("b.zip"), parts.make("a(1).zip"),
                                        parts.make("a.zip"), parts.make("readme.txt")});

        QVERIFY(send<QDragEnterEvent>(content->dropZone(), onZone.get()));
        QVERIFY(send<QDropEvent>(content->dropZone(), onZone.get()));
        QCOMPARE(scripted.model.groups().size(), 2);
        QCOMPARE(scripted.model.selectedGroup()->files,
                 (Locations{parts.location("a.zip"), parts.location("a(1).zip")}));
        QCOMPARE(content->noticeText(),
                 QStringLiteral("1 file was not a split zip part and was ignored"));

        const Dragged onList = urlData({parts.make("a(2).zip")});
        const QPoint inside = content->detailPane()->geometry().center();
        QVERIFY(send<QDragEnterEvent>(content, onList.get(), inside));
        QVERIFY(send<QDropEvent>(content, onList.get(), inside));
        QCOMPARE(scripted.model.selectedGroup()->files.size(), 3);
    }

    void addPartsAddsTheChosenFiles_data() {
        QTest::addColumn<bool>("byKey");
        QTest::addRow("the Add Parts button") << false;
        QTest::addRow("Ctrl+O") << true;
    }

    // The file dialog opens where the shown parts are.
    void addPartsAddsTheChosenFiles() {
        QFETCH(bool, byKey);
        ScriptedWindow scripted;
        const QUrl more = scripted.parts.make("archive(2).zip", 10);
        ContentView* content = scripted.window.contentView();
        QVERIFY(QTest::qWaitForWindowActive(&scripted.window));

        if (byKey)
            QTest::keyClick(&scripted.window, Qt::Key_O, Qt::ControlModifier);
        else
            content->addPartsButton()->click();
        QVERIFY(content->partsPicker()->isPresented());
        QFileDialog* dialog = content->partsPicker()->dialog();
        QCOMPARE(QDir(dialog->directoryUrl().toLocalFile()).canonicalPath(),
                 QDir(scripted.parts.path()).canonicalPath());
        dialog->selectUrl(more);
        static_cast<QDialog*>(dialog)->accept();

        QCOMPARE(scripted.model.selectedGroup()->files.last(), more);
    }
};

QTEST_MAIN(DropZoneTest)
#include "tst_dropzone.moc"
