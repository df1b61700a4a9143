#include "model/extractionviewmodel.h"
#include "partfiles.h"
#include "scriptedservice.h"
#include "ui/contentview.h"
#include "ui/dropzoneview.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

namespace {

using Locations = QList<QUrl>;

std::unique_ptr<QMimeData> urlData(const Locations& urls) {
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

std::unique_ptr<QMimeData> textData(const QString& text) {
    auto data = std::make_unique<QMimeData>();
    data->setText(text);
    return data;
}

bool sendDragEnter(QWidget* target, const QMimeData* data) {
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    return enter.isAccepted();
}

bool sendDrop(QWidget* target, const QMimeData* data) {
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

void sendDragLeave(QWidget* target) {
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(target, &leave);
}

QUrl local(const QString& path) {
    return QUrl::fromLocalFile(path);
}

} // namespace

Q_DECLARE_METATYPE(std::shared_ptr<QMimeData>)

class DropZoneTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dropOfFilesIsReportedOnceWithEveryLocalFile_data();
    void dropOfFilesIsReportedOnceWithEveryLocalFile();
    void dragWithoutLocalFilesIsRefused_data();
    void dragWithoutLocalFilesIsRefused();
    void highlightFollowsTheDragInAndOut();
    void droppedPartsBecomeTheShownGroup();
};

void DropZoneTest::dropOfFilesIsReportedOnceWithEveryLocalFile_data() {
    QTest::addColumn<Locations>("dragged");
    QTest::addColumn<Locations>("reported");

    const Locations parts{local("/downloads/archive.zip"), local("/downloads/archive(1).zip"),
                          local("/downloads/archive(2).zip")};
    QTest::addRow("three parts arrive in one call") << parts << parts;
    const Locations anyKind{local("/downloads/notes.txt"), local("/downloads/photos/")};
    QTest::addRow("a text file and a folder are passed on for the grouping to ignore")
        << anyKind << anyKind;
    QTest::addRow("remote locations among local files are left out")
        << Locations{QUrl("https://example.org/archive.zip"), local("/downloads/archive.zip")}
        << Locations{local("/downloads/archive.zip")};
}

void DropZoneTest::dropOfFilesIsReportedOnceWithEveryLocalFile() {
    QFETCH(Locations, dragged);
    QFETCH(Locations, reported);
    DropZoneView zone;
    QSignalSpy dropped(&zone, &DropZoneView::dropped);
    const auto data = urlData(dragged);

    QVERIFY(sendDragEnter(&zone, data.get()));
    QVERIFY(sendDrop(&zone, data.get()));

    QCOMPARE(dropped.count(), 1);
    QCOMPARE(dropped.first().first().value<Locations>(), reported);
    QVERIFY(!zone.isTargeted());
}

void DropZoneTest::dragWithoutLocalFilesIsRefused_data() {
    QTest::addColumn<std::shared_ptr<QMimeData>>("data");
    QTest::addRow("plain text") << std::shared_ptr<QMimeData>(textData("archive.zip"));
    QTest::addRow("a web address only")
        << std::shared_ptr<QMimeData>(urlData({QUrl("https://example.org/a.zip")}));
    QTest::addRow("an empty list of files") << std::shared_ptr<QMimeData>(urlData({}));
}

void DropZoneTest::dragWithoutLocalFilesIsRefused() {
    QFETCH(std::shared_ptr<QMimeData>, data);
    DropZoneView zone;
    QSignalSpy dropped(&zone, &DropZoneView::dropped);

    QVERIFY(!sendDragEnter(&zone, data.get()));
    QVERIFY(!zone.isTargeted());
    QVERIFY(!sendDrop(&zone, data.get()));
    QCOMPARE(dropped.count(), 0);
}

void DropZoneTest::highlightFollowsTheDragInAndOut() {
    DropZoneView zone;
    QSignalSpy dropped(&zone, &DropZoneView::dropped);
    const auto data = urlData({local("/downloads/archive.zip")});

    QVERIFY(sendDragEnter(&zone, data.get()));
    QVERIFY(zone.isTargeted());
    sendDragLeave(&zone);
    QVERIFY(!zone.isTargeted());
    QCOMPARE(dropped.count(), 0);
}

void DropZoneTest::droppedPartsBecomeTheShownGroup() {
    PartFiles parts;
    ExtractionViewModel model(new ScriptedService);
    ContentView view(&model);
    const auto data = urlData({parts.make("b.zip"), parts.make("a(1).zip"), parts.make("a.zip"),
                               parts.make("readme.txt")});

    QVERIFY(sendDragEnter(view.dropZone(), data.get()));
    QVERIFY(sendDrop(view.dropZone(), data.get()));

    QCOMPARE(model.groups().size(), 2);
    QVERIFY(model.selectedGroup());
    QCOMPARE(model.selectedGroup()->baseName, QStringLiteral("a"));
    QCOMPARE(model.selectedGroup()->files,
             (Locations{parts.location("a.zip"), parts.location("a(1).zip")}));
}

QTEST_MAIN(DropZoneTest)
#include "tst_dropzone.moc"
