// Writes PNG screenshots of the real window in its main situations, for
// looking at the layout without a desktop:
//
//   screenshots [--dark] [--language CODE] [output-folder]
//
// The window runs over a view model whose service is scripted here, so a run
// shows progress and output without extracting anything. Part files are made
// in a temporary folder so that sizes appear.

#include "model/extractionviewmodel.h"
#include "platform/translations.h"
#include "service/extractionbackend.h"
#include "service/extractioneventstream.h"
#include "service/inspectionreply.h"
#include "ui/contentview.h"
#include "ui/detailpane.h"
#include "ui/dropzoneview.h"
#include "ui/extractionpanel.h"
#include "ui/mainwindow.h"
#include "ui/replacequestion.h"
#include "ui/symbolpushbutton.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QPalette>
#include <QPointer>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

// Hands out a stream per run that main() then feeds by hand, and answers
// every check of parts with what main() set.
class ScriptedService : public ExtractionBackend {
public:
    ExtractionEventStream* extract(const ZipFileGroup&, const QUrl&,
                                   const std::optional<ArchiveInspection>&,
                                   const QByteArray&) override {
        m_stream = new ExtractionEventStream(this);
        return m_stream;
    }

    InspectionReply* inspect(const QList<QUrl>&, const std::optional<QUrl>&) override {
        auto* reply = new InspectionReply(this);
        reply->finish(inspection);
        return reply;
    }

    ExtractionEventStream* stream() const { return m_stream; }
    std::optional<ArchiveInspection> inspection;

private:
    QPointer<ExtractionEventStream> m_stream;
};

// Lets queued work and animations finish before a picture is taken.
void settle(int milliseconds = 450) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

QUrl makePart(const QDir& folder, const QString& name, qint64 size) {
    QFile file(folder.filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.resize(size);
    return QUrl::fromLocalFile(file.fileName());
}

void useDarkPalette() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2a, 0x2c, 0x30));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xef, 0xf0));
    dark.setColor(QPalette::Base, QColor(0x1d, 0x1f, 0x22));
    dark.setColor(QPalette::Text, QColor(0xee, 0xef, 0xf0));
    dark.setColor(QPalette::Button, QColor(0x35, 0x38, 0x3d));
    dark.setColor(QPalette::ButtonText, QColor(0xee, 0xef, 0xf0));
    dark.setColor(QPalette::Highlight, QColor(0x3d, 0xae, 0xe9));
    dark.setColor(QPalette::HighlightedText, QColor(0xff, 0xff, 0xff));
    dark.setColor(QPalette::PlaceholderText, QColor(0xee, 0xef, 0xf0, 0x80));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, QColor(0x7f, 0x82, 0x85));
    QApplication::setPalette(dark);
}

void save(QWidget& window, const QDir& output, const QString& name) {
    settle();
    const QString path = output.filePath(name + QStringLiteral(".png"));
    if (!window.grab().save(path))
        QTextStream(stderr) << "could not write " << path << '\n';
    else
        QTextStream(stdout) << path << '\n';
}

void feedRun(ScriptedService& service, double progress, const QStringList& lines) {
    settle(50);
    if (!service.stream())
        return;
    for (const QString& line : lines)
        service.stream()->deliver(ExtractionProgress::log(line));
    service.stream()->deliver(ExtractionProgress::progress(progress));
}

// As the keyboard does it: styles draw focus frames only after a key moved
// the focus.
void pressTab() {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &press);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrune"));
    QStringList arguments = QApplication::arguments().mid(1);
    const bool dark = arguments.removeAll(QStringLiteral("--dark")) > 0;
    if (dark)
        useDarkPalette();
    QString suffix = dark ? QStringLiteral("-dark") : QString();
    // English unless asked for another language; its name joins the file names.
    QLocale locale(QLocale::English, QLocale::UnitedStates);
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--language"));
        at >= 0 && at + 1 < arguments.size()) {
        locale = QLocale(arguments.at(at + 1));
        suffix += u'-' + arguments.at(at + 1);
        arguments.remove(at, 2);
    }
    QLocale::setDefault(locale);
    Translations translations;
    translations.use(locale);
    const QDir output(arguments.value(0, QDir::currentPath()));

    QTemporaryDir downloads;
    const QDir folder(downloads.path());
    folder.mkdir(QStringLiteral("Extracted"));

    auto* service = new ScriptedService;
    ExtractionViewModel model(service);
    MainWindow window(&model);
    window.resize(960, 640);
    window.show();
    save(window, output, QStringLiteral("01-empty") + suffix);

    // Files dragged over the drop zone, not yet dropped.
    QMimeData dragged;
    dragged.setUrls({QUrl::fromLocalFile(folder.filePath(QStringLiteral("holiday-photos.zip")))});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &dragged, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.contentView()->dropZone(), &enter);
    save(window, output, QStringLiteral("02-dragging") + suffix);
    QDragLeaveEvent leave;
    QApplication::sendEvent(window.contentView()->dropZone(), &leave);

    model.addFiles({makePart(folder, QStringLiteral("holiday-photos.zip"), 2'100'000),
                    makePart(folder, QStringLiteral("holiday-photos(1).zip"), 2'100'000),
                    makePart(folder, QStringLiteral("holiday-photos(3).zip"), 1'340'000)});
    save(window, output, QStringLiteral("03-missing-part") + suffix);

    model.addFiles({makePart(folder, QStringLiteral("holiday-photos(2).zip"), 2'100'000)});
    model.setDestinationURL(QUrl::fromLocalFile(folder.filePath(QStringLiteral("Extracted"))));
    model.startExtraction();
    const QString extracted = folder.filePath(QStringLiteral("Extracted"));
    feedRun(*service, 0.62,
            {QStringLiteral("▶ Merging 4 part(s) into combined archive…\n"),
             QStringLiteral("✔ Merge complete.\n▶ Unzipping into %1…\n").arg(extracted),
             QStringLiteral("extracted: holiday-photos/IMG_0001.jpg\n"),
             QStringLiteral("extracted: holiday-photos/IMG_0002.jpg\n")});
    save(window, output, QStringLiteral("04-running") + suffix);

    QStringList rest;
    for (int photo = 3; photo <= 40; ++photo)
        rest << QStringLiteral("extracted: holiday-photos/IMG_%1.jpg\n")
                    .arg(photo, 4, 10, QLatin1Char('0'));
    rest << QStringLiteral("created:   holiday-photos/\n")
         << QStringLiteral("Extracted 41 of 41 entries into %1.\n").arg(extracted)
         << QStringLiteral("✔ Extraction finished successfully.\n");
    feedRun(*service, 1.0, rest);
    service->stream()->deliver(ExtractionProgress::completed());
    service->stream()->end();
    save(window, output, QStringLiteral("05-finished") + suffix);

    model.reset();
    model.addFiles({QUrl::fromLocalFile(folder.filePath(QStringLiteral("holiday-photos.zip")))});
    model.startExtraction();
    settle(50);
    service->stream()->deliver(ExtractionProgress::error(ExtractionError::diskFull()));
    service->stream()->end();
    save(window, output, QStringLiteral("06-failed") + suffix);

    // A single part with a huge number: a thousand missing parts in the
    // warning; another archive beside it, reached through the switcher.
    model.reset();
    model.addFiles({makePart(folder, QStringLiteral("backup(4000).zip"), 700'000'000),
                    QUrl::fromLocalFile(folder.filePath(QStringLiteral("holiday-photos.zip")))});
    save(window, output, QStringLiteral("07-many-missing") + suffix);

    // The same part in two folders: the header names both, Start stays off.
    model.reset();
    folder.mkdir(QStringLiteral("Downloads"));
    folder.mkdir(QStringLiteral("usb-stick"));
    const QDir first(folder.filePath(QStringLiteral("Downloads")));
    const QDir second(folder.filePath(QStringLiteral("usb-stick")));
    model.addFiles({makePart(first, QStringLiteral("s.zip"), 2'100'000),
                    makePart(first, QStringLiteral("s(1).zip"), 2'100'000),
                    makePart(first, QStringLiteral("s(2).zip"), 1'340'000),
                    makePart(second, QStringLiteral("s(1).zip"), 2'100'000)});
    save(window, output, QStringLiteral("08-clashing-parts") + suffix);

    // Cancel pressed during a run: the run is stopping, then has stopped.
    model.reset();
    model.addFiles({QUrl::fromLocalFile(folder.filePath(QStringLiteral("holiday-photos.zip"))),
                    QUrl::fromLocalFile(folder.filePath(QStringLiteral("holiday-photos(1).zip")))});
    model.startExtraction();
    feedRun(*service, 0.63,
            {QStringLiteral("▶ Merging 2 part(s) into combined archive…\n"),
             QStringLiteral("✔ Merge complete.\n▶ Unzipping into %1…\n").arg(extracted),
             QStringLiteral("extracted: holiday-photos/IMG_0001.jpg\n")});
    window.contentView()->detailPane()->extractionPanel()->cancelButton()->click();
    save(window, output, QStringLiteral("09-stopping") + suffix);
    service->stream()->deliver(ExtractionProgress::log(
        QStringLiteral("Cancelled. 1 of 41 files had been extracted into %1.\n").arg(extracted)));
    service->stream()->deliver(ExtractionProgress::error(ExtractionError::cancelled()));
    service->stream()->end();
    save(window, output, QStringLiteral("10-cancelled") + suffix);

    // The check of the parts' bytes: a whole archive, then a set that is not.
    model.reset();
    ArchiveInspection whole;
    whole.complete = true;
    whole.entries = 40;
    whole.unpackedSize = 7'480'000;
    whole.missingBytes = 0;
    service->inspection = whole;
    const QList<QUrl> holiday{
        QUrl::fromLocalFile(folder.filePath(QStringLiteral("holiday-photos.zip"))),
        QUrl::fromLocalFile(folder.filePath(QStringLiteral("holiday-photos(1).zip"))),
        QUrl::fromLocalFile(folder.filePath(QStringLiteral("holiday-photos(2).zip"))),
        QUrl::fromLocalFile(folder.filePath(QStringLiteral("holiday-photos(3).zip")))};
    model.addFiles(holiday);
    save(window, output, QStringLiteral("11-checked-archive") + suffix);

    model.reset();
    ArchiveInspection broken = whole;
    broken.complete = false;
    broken.firstBadPart = 2;
    broken.problem = QStringLiteral("holiday-photos(2).zip does not continue "
                                    "holiday-photos(1).zip: it may be a different download or "
                                    "in the wrong place.");
    service->inspection = broken;
    model.addFiles(holiday);
    save(window, output, QStringLiteral("12-checked-broken-set") + suffix);

    // Other namings: numbered parts, a browser's two halves of one archive
    // before and after the join, and a spanned set that is refused.
    model.reset();
    ArchiveInspection gap = broken;
    gap.problem = QStringLiteral("scans.zip.004 does not continue scans.zip.002: it may be a "
                                 "different download or in the wrong place.");
    service->inspection = gap;
    model.addFiles({makePart(folder, QStringLiteral("scans.zip.001"), 4'000'000),
                    makePart(folder, QStringLiteral("scans.zip.002"), 4'000'000),
                    makePart(folder, QStringLiteral("scans.zip.004"), 1'200'000)});
    save(window, output, QStringLiteral("14-numbered-parts") + suffix);

    model.reset();
    ArchiveInspection endless = broken;
    endless.firstBadPart.reset();
    endless.problem = QStringLiteral(
        "The end of the archive is missing: the last part, or more than one, was not dropped.");
    service->inspection = endless;
    model.addFiles({makePart(folder, QStringLiteral("report.zip"), 3'000'000),
                    makePart(folder, QStringLiteral("report (1).zip"), 3'000'000),
                    makePart(folder, QStringLiteral("report (2).zip"), 800'000)});
    save(window, output, QStringLiteral("15-join-offer") + suffix);
    service->inspection = whole;
    model.joinSpaceNamedParts();
    save(window, output, QStringLiteral("16-joined") + suffix);

    model.reset();
    model.setDestinationURL(QUrl::fromLocalFile(folder.filePath(QStringLiteral("Extracted"))));
    model.addFiles({makePart(folder, QStringLiteral("thesis.z01"), 65'536),
                    makePart(folder, QStringLiteral("thesis.z02"), 65'536),
                    makePart(folder, QStringLiteral("thesis.zip"), 12'000)});
    save(window, output, QStringLiteral("17-spanned-set") + suffix);
    model.setDestinationURL(std::nullopt);

    // Start where the run would replace files: the question, on its own.
    model.reset();
    whole.conflicts = 12;
    service->inspection = whole;
    model.addFiles(holiday);
    model.setDestinationURL(QUrl::fromLocalFile(folder.filePath(QStringLiteral("Extracted"))));
    settle(50);
    model.startExtraction();
    settle(50);
    if (QMessageBox* question = window.replaceQuestion()->question()) {
        save(*question, output, QStringLiteral("13-replace-question") + suffix);
        question->reject();
    }

    // The keyboard focus, as Tab brings it: on a part, then on the console.
    window.activateWindow();
    settle(50);
    window.contentView()->addPartsButton()->setFocus();
    pressTab();
    save(window, output, QStringLiteral("14-focus-on-parts") + suffix);
    pressTab();
    pressTab();
    pressTab();
    save(window, output, QStringLiteral("15-focus-on-console") + suffix);
    return 0;
}
