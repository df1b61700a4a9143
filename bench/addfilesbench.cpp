// Times the view model's addFiles on 100,000 dropped paths (20,000 archives of
// 5 parts, in shuffled order), regroup included: once as a single drop, and
// as 100 drops of 1,000 into one model, where the slowest drop is what the
// window freezes for. Each archive's parts mostly land in different drops,
// so every drop makes about 1,000 groups again. The baseline, measured in
// the same run, is sorting the same paths as text; groupFiles alone on all
// of them is shown beside it, as the part of a drop that is the grouping's,
// and so is removing one group of 20,000 parts. Prints medians in
// milliseconds and their ratios.
//
//   kestrune-addfilesbench [COUNT] [DROPS]

#include "benchtiming.h"
#include "grouping/filegrouper.h"
#include "model/extractionviewmodel.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

// Made in the order they are dropped, as Qt makes a drop's locations from
// the dropped data: a drop's own locations lie together in memory.
QList<QUrl> shuffledLocations(int count) {
    QStringList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i) {
        const int archive = i / 5;
        const int part = i % 5;
        names << (part == 0 ? QStringLiteral("archive-%1.zip").arg(archive)
                            : QStringLiteral("archive-%1(%2).zip").arg(archive).arg(part));
    }
    std::shuffle(names.begin(), names.end(), std::mt19937(42));
    QList<QUrl> locations;
    locations.reserve(count);
    for (const QString& name : std::as_const(names))
        locations << QUrl::fromLocalFile(QStringLiteral("/home/user/Downloads/") + name);
    return locations;
}

double timeRemovingOneGroup(int partCount) {
    QList<QUrl> parts{QUrl::fromLocalFile(QStringLiteral("/d/big.zip"))};
    for (int part = 1; part < partCount; ++part)
        parts << QUrl::fromLocalFile(QStringLiteral("/d/big(%1).zip").arg(part));
    ExtractionViewModel model;
    model.addFiles(parts);
    return timeMs([&] { model.removeGroup(model.groups().first()); });
}

struct DropTimes {
    double totalMs = 0;
    double slowestMs = 0;
};

// The drops go into one model, in order; the last one lands on all the
// files before it, as when the user drags in folder after folder.
DropTimes timeDrops(const QList<QUrl>& locations, int drops) {
    ExtractionViewModel model;
    model.setAsksBeforeReplacing(false);
    const qsizetype share = (locations.size() + drops - 1) / drops;
    DropTimes times;
    for (qsizetype begin = 0; begin < locations.size(); begin += share) {
        const QList<QUrl> drop = locations.mid(begin, share);
        const double ms = timeMs([&] { model.addFiles(drop); });
        times.totalMs += ms;
        times.slowestMs = std::max(times.slowestMs, ms);
    }
    return times;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int drops = argc > 2 ? std::atoi(argv[2]) : 100;
    const int repetitions = 5;
    const QList<QUrl> locations = shuffledLocations(count);

    std::vector<double> baseline;
    std::vector<double> grouping;
    std::vector<double> single;
    std::vector<double> manyTotal;
    std::vector<double> manySlowest;
    std::vector<double> removing;
    for (int i = 0; i < repetitions; ++i) {
        QStringList paths;
        for (const QUrl& location : locations)
            paths << location.path();
        baseline.push_back(timeMs([&] { std::sort(paths.begin(), paths.end()); }));
        grouping.push_back(timeMs([&] { groupFiles(locations); }));
        single.push_back(timeDrops(locations, 1).totalMs);
        const DropTimes many = timeDrops(locations, drops);
        manyTotal.push_back(many.totalMs);
        manySlowest.push_back(many.slowestMs);
        removing.push_back(timeRemovingOneGroup(20000));
    }

    const double baselineMs = median(baseline);
    const auto report = [&](const char* what, double ms) {
        std::printf("%-36s %8.1f ms  ratio to baseline %6.2f\n", what, ms, ms / baselineMs);
    };
    std::printf("addFiles: %d paths, medians of %d (target < 150 ms per drop)\n", count,
                repetitions);
    std::printf("%-36s %8.1f ms\n", "baseline (sorting the paths)", baselineMs);
    report("groupFiles alone, all paths", median(grouping));
    report("one drop", median(single));
    std::printf("%d drops:\n", drops);
    report("  slowest drop", median(manySlowest));
    report("  all drops together", median(manyTotal));
    report("removing a group of 20,000 parts", median(removing));
    return 0;
}
