// Times the service's merge alone, in process, so that start-up costs do not
// count: concatenates the given parts into COMBINED and prints the seconds.
//
//   kestrune-mergebench COMBINED PART...

#include "service/archivemerger.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fputs("usage: kestrune-mergebench COMBINED PART...\n", stderr);
        return 2;
    }
    QList<QUrl> parts;
    for (int i = 2; i < argc; ++i)
        parts << QUrl::fromLocalFile(QFileInfo(QString::fromLocal8Bit(argv[i])).absoluteFilePath());
    const QUrl combined =
        QUrl::fromLocalFile(QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath());

    QElapsedTimer timer;
    timer.start();
    const std::optional<ExtractionError> failure =
        ArchiveMerger(parts, combined, [](double) {}).merge();
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (failure) {
        std::fprintf(stderr, "kestrune-mergebench: %s\n", qPrintable(failure->errorDescription()));
        return 1;
    }
    std::printf("%.4f\n", seconds);
    return 0;
}
