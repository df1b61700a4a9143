// Files coming in: what the drop zone takes and passes on, files dropped
// on the window becoming its groups, and parts chosen by Add Parts….

#include "scriptedwindow.h"
#include "ui/dropzoneview.h"
#include "ui/partspicker.h"
#include "ui/symbolpushbutton.h"

#include <QDragEnterEvent>
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
template<typename Event> bool send(QWidget* target, const QMimeData* data) {
    Event event(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
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
        QTest::addRow("remote locations among local files are left out")
            << urlData({QUrl("https://example.org/archive.zip"), local("/downloads/archive.zip")})
            << Locations{local("/downloads/archive.zip")};
        auto text = std::make_shared<QMimeData>();
        text->setText(QStringLiteral("archive.zip"));
        QTest::addRow("plain text is refused") << text << Locations{};
    }

    void dropZoneTakesLocalFilesOnly() {
        QFETCH(Dragged, dragged);
        QFETCH(Locations, reported);
        const bool accepted = !reported.isEmpty();
        DropZoneView zone;
        QSignalSpy dropped(&zone, &DropZoneView::dropped);

        QCOMPARE(send<QDragEnterEvent>(&zone, dragged.get()), accepted);
        QCOMPARE(send<QDropEvent>(&zone, dragged.get()), accepted);

        QVERIFY(!zone.isTargeted());
        QCOMPARE(dropped.count(), accepted ? 1 : 0);
        if (accepted)
            QCOMPARE(dropped.first().first().value<Locations>(), reported);
    }

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
    }

    void addPartsAddsTheChosenFiles() {
        ScriptedWindow scripted;
        const QUrl more = scripted.parts.make("archive(2).zip", 10);
        ContentView* content = scripted.window.contentView();

        content->addPartsButton()->click();
        QVERIFY(content->partsPicker()->isPresented());
        QFileDialog* dialog = content->partsPicker()->dialog();
        dialog->selectUrl(more);
        static_cast<QDialog*>(dialog)->accept();

        QCOMPARE(scripted.model.selectedGroup()->files.last(), more);
    }
};

QTEST_MAIN(DropZoneTest)
#include "tst_dropzone.moc"
