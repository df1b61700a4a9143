// Measures the memory the real window keeps after a run that printed many
// console lines (200,000 by default), once the user has pressed Clear. The
// baseline is the same window's resident size right after it showed its
// first group, measured in the same run; prints resident sizes in MiB and
// the growth over that baseline.
//
//   kestrune-consolememory [LINES]
//
// Run it offscreen (QT_QPA_PLATFORM=offscreen). The run is scripted: no
// extractor is started and nothing is written.

#include "model/extractionviewmodel.h"
#include "service/extractionbackend.h"
#include "service/extractioneventstream.h"
#include "service/inspectionreply.h"
#include "ui/consolepanel.h"
#include "ui/detailpane.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QToolButton>

#include <cstdio>

namespace {

// Hands the bench each run's stream, and never answers a check.
class ScriptedService : public ExtractionBackend {
public:
    ExtractionEventStream* extract(const ZipFileGroup&, const QUrl&,
                                   const std::optional<ArchiveInspection>&,
                                   const QByteArray&) override {
        stream = new ExtractionEventStream(this);
        return stream;
    }
    InspectionReply* inspect(const QList<QUrl>&, const std::optional<QUrl>&) override {
        return new InspectionReply(this);
    }

    ExtractionEventStream* stream = nullptr;
};

double residentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

// Lets the window lay out and paint what it was given.
void settle() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::atoi(argv[1]) : 200000;
    const int linesPerPiece = 100;

    QTemporaryDir folder;
    QFile part(folder.filePath(QStringLiteral("archive.zip")));
    if (!part.open(QIODevice::WriteOnly))
        return 2;
    auto* service = new ScriptedService;
    ExtractionViewModel model(service);
    model.setAsksBeforeReplacing(false);
    MainWindow window(&model);
    window.resize(960, 640);
    window.show();
    model.addFiles({QUrl::fromLocalFile(part.fileName())});
    model.setDestinationURL(QUrl::fromLocalFile(folder.path()));
    settle();
    const double freshMiB = residentMiB();

    model.startExtraction();
    settle(); // the run reaches the service on the next turn of the event loop
    if (!service->stream)
        return 2;
    for (int line = 0; line < lines; line += linesPerPiece) {
        QString piece;
        for (int i = line; i < line + linesPerPiece; ++i)
            piece += QStringLiteral("  inflating: folder-%1/file-%2.txt\n").arg(i / 50).arg(i);
        service->stream->deliver(ExtractionProgress::log(piece));
        if (line % 10000 == 0)
            settle();
    }
    service->stream->deliver(ExtractionProgress::completed());
    service->stream->end();
    settle();
    const double afterRunMiB = residentMiB();

    window.findChild<ConsolePanel*>()->clearButton()->click();
    settle();
    const double afterClearMiB = residentMiB();

    std::printf("console memory after %d lines, resident MiB (target: cleared within 10 MiB "
                "of the fresh window)\n",
                lines);
    std::printf("baseline (fresh window)  %7.1f\n", freshMiB);
    std::printf("after the run            %7.1f  (+%.1f)\n", afterRunMiB, afterRunMiB - freshMiB);
    std::printf("after Clear              %7.1f  (+%.1f)\n", afterClearMiB,
                afterClearMiB - freshMiB);
    return 0;
}
