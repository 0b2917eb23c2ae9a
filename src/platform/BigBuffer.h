#pragma once
// Memory for frame-sized buffers (a 26 MP frame's samples, its screen picture). Taken straight
// from the system in huge pages where the kernel allows them: on a virtual machine, filling 50 MB
// of ordinary pages costs more in page faults than reading the frame. Handed back to the system
// when freed. Samples are not cleared when allocated: every decoder writes all of them.
#include <QImage>

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

void* bigAllocate(size_t bytes);
void bigFree(void* p, size_t bytes);

template <typename T>
struct BigAllocator {
    using value_type = T;
    BigAllocator() = default;
    template <typename U>
    BigAllocator(const BigAllocator<U>&) noexcept {}
    T* allocate(size_t n) { return static_cast<T*>(bigAllocate(n * sizeof(T))); }
    void deallocate(T* p, size_t n) noexcept { bigFree(p, n * sizeof(T)); }
    // Default-initialised: no clearing pass over the buffer before the decoder fills it.
    template <typename U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... A>
    void construct(U* p, A&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<A>(args)...);
    }
    template <typename U>
    bool operator==(const BigAllocator<U>&) const noexcept { return true; }
};

template <typename T>
using FrameVector = std::vector<T, BigAllocator<T>>;

// A picture whose pixels live in such memory (uninitialised); null when there is not enough.
QImage bigImage(int width, int height, QImage::Format format);
