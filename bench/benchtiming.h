#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <vector>

// What the in-process benchmarks time with: a median of repetitions, and
// one piece of work's wall time in milliseconds.

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template<typename Work> double timeMs(Work&& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}
