#pragma once
// Measures a list of picture files on worker threads, one per core, while the thread that started
// the run stays free to answer the user. Each file is decoded and measured by one worker; the
// measures come back by index once the workers have stopped.
#include "review/Sharpness.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class SharpnessRun {
public:
    // What a worker does with one file (the measure; the benchmarks also time the decoding alone).
    using Work = std::function<SharpnessMeasure(const QString& path)>;

    // Starts the workers at once; threads 0 means one per core.
    explicit SharpnessRun(const QStringList& paths, Work job = measureSharpnessOfFile, int threads = 0);
    // Stops the workers after the file each is on, and waits for them.
    ~SharpnessRun();
    SharpnessRun(const SharpnessRun&) = delete;
    SharpnessRun& operator=(const SharpnessRun&) = delete;

    int total() const { return int(paths_.size()); }
    int threadCount() const { return int(workers_.size()); }
    // Files measured so far.
    int done() const { return done_.load(std::memory_order_relaxed); }
    // Waits at most ms milliseconds for every worker to stop; true when they have.
    bool waitFor(int ms);
    // Asks the workers to stop after the file each is on.
    void cancel() { cancelled_.store(true); }
    // Waits for the workers, then gives each file's measure by index (none when it was not
    // reached).
    std::vector<std::optional<SharpnessMeasure>> results();

private:
    void work();

    std::vector<QString> paths_;
    Work job_;
    std::vector<std::optional<SharpnessMeasure>> results_;
    std::atomic<int> next_{0};
    std::atomic<int> done_{0};
    std::atomic<bool> cancelled_{false};
    std::mutex mutex_;
    std::condition_variable stopped_;
    int running_ = 0;  // workers not yet stopped, under mutex_
    std::vector<std::thread> workers_;
};
