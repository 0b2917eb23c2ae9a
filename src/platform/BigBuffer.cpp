#include "platform/BigBuffer.h"

#include <sys/mman.h>

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>

namespace {

constexpr size_t kHuge = size_t(2) << 20;
// Below this, the ordinary heap is as quick and wastes less.
constexpr size_t kBig = size_t(4) << 20;

size_t mappedSize(size_t bytes) { return (bytes + kHuge - 1) / kHuge * kHuge; }

struct Mapping {
    void* base;
    size_t size;
};

// Unmapping 50 MB takes the kernel a few milliseconds: a frame left behind by a move through the
// list is handed back on a thread of its own, not on the one that shows the next frame.
class Releaser {
public:
    Releaser() : thread_([this] { run(); }) { thread_.detach(); }
    void release(void* p, size_t size)
    {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back({p, size});
        }
        wake_.notify_one();
    }

private:
    void run()
    {
        for (;;) {
            Mapping m;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return !queue_.empty(); });
                m = queue_.front();
                queue_.pop_front();
            }
            munmap(m.base, m.size);
        }
    }
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Mapping> queue_;
    std::thread thread_;
};

Releaser& releaser()
{
    // Never destroyed: buffers may be freed by static objects at exit.
    static Releaser* r = new Releaser;
    return *r;
}

}  // namespace

void* bigAllocate(size_t bytes)
{
    if (bytes < kBig) {
        void* p = std::malloc(bytes ? bytes : 1);
        if (!p)
            throw std::bad_alloc();
        return p;
    }
    const size_t size = mappedSize(bytes);
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    madvise(p, size, MADV_HUGEPAGE);  // a hint: refused on kernels without them, harmless
    return p;
}

void bigFree(void* p, size_t bytes)
{
    if (!p)
        return;
    if (bytes < kBig)
        std::free(p);
    else
        releaser().release(p, mappedSize(bytes));
}

QImage bigImage(int width, int height, QImage::Format format)
{
    if (width <= 0 || height <= 0)
        return {};
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    const qsizetype stride = ((qsizetype(width) * depth + 31) / 32) * 4;
    const size_t bytes = size_t(stride) * size_t(height);
    void* data = nullptr;
    try {
        data = bigAllocate(bytes);
    } catch (const std::bad_alloc&) {
        return {};
    }
    auto* mapping = new Mapping{data, bytes};
    return QImage(
        static_cast<uchar*>(data), width, height, stride, format,
        [](void* info) {
            auto* m = static_cast<Mapping*>(info);
            bigFree(m->base, m->size);
            delete m;
        },
        mapping);
}
