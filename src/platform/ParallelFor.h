#pragma once

#include <QThread>
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

// Runs body(i) for every i in [0, count) on up to one thread per core and returns when all are done.
// Each index runs exactly once; bodies must only touch their own slot of shared results.
template <typename Body> void parallelFor(qsizetype count, Body body) {
    const int threads = int(std::min<qsizetype>(std::max(1, QThread::idealThreadCount()), count));
    if (threads <= 1) {
        for (qsizetype i = 0; i < count; ++i)
            body(i);
        return;
    }
    std::atomic<qsizetype> next{0};
    auto work = [&] {
        for (qsizetype i = next++; i < count; i = next++)
            body(i);
    };
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t)
        workers.emplace_back(work);
    work();
    for (auto& worker : workers)
        worker.join();
}
