// Times groupFiles on 100,000 dropped paths (20,000 archives of 5 parts, in
// shuffled order) against a baseline measured in the same run: sorting the
// same paths as text. Prints medians in milliseconds and their ratio.

#include "benchtiming.h"
#include "grouping/filegrouper.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

int main(int argc, char* argv[]) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int repetitions = 9;

    QList<QUrl> locations;
    for (int i = 0; i < count; ++i) {
        const int archive = i / 5;
        const int part = i % 5;
        const QString name = part == 0
                                 ? QStringLiteral("archive-%1.zip").arg(archive)
                                 : QStringLiteral("archive-%1(%2).zip").arg(archive).arg(part);
        locations << QUrl::fromLocalFile(QStringLiteral("/home/user/Downloads/") + name);
    }
    std::shuffle(locations.begin(), locations.end(), std::mt19937(42));

    std::vector<double> grouping;
    std::vector<double> baseline;
    qsizetype groups = 0;
    for (int i = 0; i < repetitions; ++i) {
        QStringList paths;
        for (const QUrl& location : locations)
            paths << location.path();
        baseline.push_back(timeMs([&] { std::sort(paths.begin(), paths.end()); }));
        grouping.push_back(timeMs([&] { groups = groupFiles(locations).size(); }));
    }

    const double groupingMs = median(grouping);
    const double baselineMs = median(baseline);
    std::printf("groupFiles: %d paths into %lld groups: %.1f ms (target < 100 ms)\n", count,
                static_cast<long long>(groups), groupingMs);
    std::printf("baseline (sorting the paths): %.1f ms; ratio groupFiles / baseline: %.2f\n",
                baselineMs, groupingMs / baselineMs);
    return 0;
}
