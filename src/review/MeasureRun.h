#pragma once
// Measures a list of picture files on worker threads, one per core, while the thread that started
// the run stays free to answer the user. Each file is decoded and measured by one worker; the
// measures come back by index once the workers have stopped. Measure is what one file gives
// (sharpness, star measures).
#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

template <typename Measure>
class MeasureRun {
public:
    using Work = std::function<Measure(const QString& path)>;

    // Starts the workers at once; threads 0 means one per core. failed is the measure of a file
    // whose work threw (out of memory on a huge picture, say): nothing may escape a worker.
    MeasureRun(const QStringList& paths, Work job, Measure failed, int threads = 0)
        : paths_(paths.begin(), paths.end()), job_(std::move(job)), failed_(std::move(failed)),
          results_(paths_.size())
    {
        if (threads <= 0)
            threads = std::max(1, QThread::idealThreadCount());
        // No more workers than files: a list of one file needs one.
        threads = std::max(1, std::min(threads, int(paths_.size())));
        running_ = threads;
        workers_.reserve(size_t(threads));
        for (int i = 0; i < threads; ++i)
            workers_.emplace_back([this] { work(); });
    }
    // Stops the workers after the file each is on, and waits for them.
    ~MeasureRun()
    {
        cancel();
        for (std::thread& t : workers_)
            if (t.joinable())
                t.join();
    }
    MeasureRun(const MeasureRun&) = delete;
    MeasureRun& operator=(const MeasureRun&) = delete;

    int total() const { return int(paths_.size()); }
    int threadCount() const { return int(workers_.size()); }
    // Files measured so far.
    int done() const { return done_.load(std::memory_order_relaxed); }
    // Waits at most ms milliseconds for every worker to stop; true when they have.
    bool waitFor(int ms)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return stopped_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return running_ == 0; });
    }
    // Asks the workers to stop after the file each is on.
    void cancel() { cancelled_.store(true); }
    // Waits for the workers, then gives each file's measure by index (none when it was not
    // reached).
    std::vector<std::optional<Measure>> results()
    {
        for (std::thread& t : workers_)
            if (t.joinable())
                t.join();
        return results_;
    }

private:
    void work()
    {
        const int n = int(paths_.size());
        for (;;) {
            if (cancelled_.load(std::memory_order_relaxed))
                break;
            const int i = next_.fetch_add(1, std::memory_order_relaxed);
            if (i >= n)
                break;
            // Each slot is written by one worker and read only after every worker has been joined.
            try {
                results_[size_t(i)] = job_(paths_[size_t(i)]);
            } catch (...) {
                results_[size_t(i)] = failed_;
            }
            done_.fetch_add(1, std::memory_order_relaxed);
        }
        const std::lock_guard<std::mutex> lock(mutex_);
        if (--running_ == 0)
            stopped_.notify_all();
    }

    std::vector<QString> paths_;
    Work job_;
    Measure failed_;
    std::vector<std::optional<Measure>> results_;
    std::atomic<int> next_{0};
    std::atomic<int> done_{0};
    std::atomic<bool> cancelled_{false};
    std::mutex mutex_;
    std::condition_variable stopped_;
    int running_ = 0;  // workers not yet stopped, under mutex_
    std::vector<std::thread> workers_;
};
