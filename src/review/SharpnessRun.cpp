#include "review/SharpnessRun.h"

#include <QThread>

#include <chrono>

SharpnessRun::SharpnessRun(const QStringList& paths, Work job, int threads)
    : paths_(paths.begin(), paths.end()), job_(std::move(job)), results_(paths_.size())
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

SharpnessRun::~SharpnessRun()
{
    cancel();
    for (std::thread& t : workers_)
        if (t.joinable())
            t.join();
}

void SharpnessRun::work()
{
    const int n = int(paths_.size());
    for (;;) {
        if (cancelled_.load(std::memory_order_relaxed))
            break;
        const int i = next_.fetch_add(1, std::memory_order_relaxed);
        if (i >= n)
            break;
        // Each slot is written by one worker and read only after every worker has been joined.
        // Nothing may escape a worker (that would end the program): a file whose measure fails,
        // out of memory on a huge picture for one, counts as one that could not be read.
        try {
            results_[size_t(i)] = job_(paths_[size_t(i)]);
        } catch (...) {
            results_[size_t(i)] = SharpnessMeasure{0, SharpnessUnreadable};
        }
        done_.fetch_add(1, std::memory_order_relaxed);
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    if (--running_ == 0)
        stopped_.notify_all();
}

bool SharpnessRun::waitFor(int ms)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return stopped_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return running_ == 0; });
}

std::vector<std::optional<SharpnessMeasure>> SharpnessRun::results()
{
    for (std::thread& t : workers_)
        if (t.joinable())
            t.join();
    return results_;
}
