// Measures how long the real window's main thread stalls while a run prints
// one console line per entry: a 5 ms heartbeat timer records the longest gap
// between its ticks, during the run and, as a baseline, on the idle window.
//
//   kestrune-stallprobe PARTS_FOLDER NAME DESTINATION
//
// Run it offscreen (QT_QPA_PLATFORM=offscreen); it needs kestrune-extract
// beside it.

#include "model/extractionviewmodel.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

namespace {

// The longest gap between two ticks of a 5 ms timer while it runs.
class Heartbeat {
public:
    Heartbeat() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longestGapMs = std::max(m_longestGapMs, m_sinceLastTick.nsecsElapsed() / 1e6);
            m_sinceLastTick.restart();
        });
    }
    void start() {
        m_longestGapMs = 0;
        m_sinceLastTick.start();
        m_timer.start();
    }
    double stop() {
        m_timer.stop();
        return m_longestGapMs;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceLastTick;
    double m_longestGapMs = 0;
};

QList<QUrl> partsOf(const QString& folder, const QString& name) {
    QList<QUrl> parts;
    const QDir dir(folder);
    for (const QString& file : dir.entryList({name + QStringLiteral("*.zip")}, QDir::Files))
        parts << QUrl::fromLocalFile(dir.absoluteFilePath(file));
    return parts;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fputs("usage: kestrune-stallprobe PARTS_FOLDER NAME DESTINATION\n", stderr);
        return 2;
    }
    ExtractionViewModel model;
    MainWindow window(&model);
    window.resize(960, 640);
    window.show();

    model.addFiles(partsOf(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2])));
    QDir().mkpath(QString::fromLocal8Bit(argv[3]));
    model.setDestinationURL(
        QUrl::fromLocalFile(QDir(QString::fromLocal8Bit(argv[3])).absolutePath()));
    if (!model.canStartExtraction()) {
        std::fputs("kestrune-stallprobe: no parts to extract\n", stderr);
        return 2;
    }

    Heartbeat heartbeat;
    QElapsedTimer runTime;
    double idleMs = 0;
    double runMs = 0;
    // Baseline first: the same window, idle, for one second.
    heartbeat.start();
    QTimer::singleShot(1000, [&] {
        idleMs = heartbeat.stop();
        heartbeat.start();
        runTime.start();
        model.startExtraction();
    });
    QObject::connect(&model, &ExtractionViewModel::stateChanged, [&] {
        const auto kind = model.state().kind();
        if (kind == ExtractionState::Kind::Succeeded || kind == ExtractionState::Kind::Failed) {
            runMs = heartbeat.stop();
            QApplication::quit();
        }
    });
    app.exec();

    const qsizetype lines = model.consoleOutput().count(u'\n');
    std::printf(
        "main-thread stall during a run printing %lld console lines (%.1f s): longest %.1f ms "
        "(target < 50 ms)\n",
        static_cast<long long>(lines), runTime.elapsed() / 1000.0, runMs);
    std::printf("baseline (idle window): longest %.1f ms; ratio run / idle: %.2f; run %s\n", idleMs,
                runMs / std::max(idleMs, 0.001), model.state().isFailed() ? "failed" : "succeeded");
    return model.state().isFailed() ? 1 : 0;
}
