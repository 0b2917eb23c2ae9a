#include "stars/StarImage.h"

#include <sys/mman.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

namespace {

// Images below this size a side estimate their background on every pixel.
constexpr int kSparseFrom = 256;

template <typename T>
float sampleAt(const T* d, size_t i)
{
    return float(d[i]);
}

struct Largest {
    double value = -INFINITY;
    int64_t count = 0;
    void see(double v)
    {
        if (v > value) {
            value = v;
            count = 1;
        } else if (v == value) {
            ++count;
        }
    }
};

// The frame's largest sample over every plane (NaN left out). 16-bit data is counted by a
// histogram of the top values only, which the compiler keeps in registers.
Largest largestSample(const LinearImage& f)
{
    Largest l;
    const size_t n = size_t(f.planeSize()) * size_t(f.planes);
    if (f.isFloat()) {
        for (size_t i = 0; i < n; ++i)
            if (!std::isnan(f.f32[i]))
                l.see(f.f32[i]);
    } else {
        uint16_t top = 0;
        for (size_t i = 0; i < n; ++i)
            top = std::max(top, f.u16[i]);
        int64_t count = 0;
        for (size_t i = 0; i < n; ++i)
            count += f.u16[i] == top;
        l.value = top;
        l.count = count;
    }
    return l;
}

template <typename T>
void fill(const LinearImage& f, const T* d, StarImage& out)
{
    const size_t w = size_t(f.width), plane = size_t(f.planeSize());
    const bool sparse = !out.sparse.empty();
    for (int y = 0; y < out.height; ++y) {
        float* row = out.data.data() + size_t(y) * size_t(out.width);
        if (out.scale == 2) {
            const T* a = d + size_t(2 * y) * w;
            const T* b = a + w;
            for (int x = 0; x < out.width; ++x)
                row[x] = 0.25f * ((sampleAt(a, size_t(2 * x)) + sampleAt(a, size_t(2 * x + 1))) +
                                  (sampleAt(b, size_t(2 * x)) + sampleAt(b, size_t(2 * x + 1))));
        } else if (f.planes == 3) {
            const T* p = d + size_t(y) * w;
            for (int x = 0; x < out.width; ++x)
                row[x] = (1.0f / 3.0f) * (sampleAt(p, size_t(x)) + sampleAt(p, plane + size_t(x)) +
                                          sampleAt(p, 2 * plane + size_t(x)));
        } else {
            const T* p = d + size_t(y) * w;
            for (int x = 0; x < out.width; ++x)
                row[x] = sampleAt(p, size_t(x));
        }
        if (sparse && y % 2 == 0 && y / 2 < out.sparseHeight) {
            float* s = out.sparse.data() + size_t(y / 2) * size_t(out.sparseWidth);
            for (int x = 0; x < out.sparseWidth; ++x)
                s[x] = row[2 * x];
        }
    }
}

}  // namespace

FloatBuffer& FloatBuffer::operator=(FloatBuffer&& o) noexcept
{
    if (this != &o) {
        std::free(p_);
        p_ = o.p_;
        n_ = o.n_;
        o.p_ = nullptr;
        o.n_ = 0;
    }
    return *this;
}

FloatBuffer::~FloatBuffer() { std::free(p_); }

void FloatBuffer::allocate(size_t n)
{
    std::free(p_);
    p_ = nullptr;
    n_ = 0;
    if (n == 0)
        return;
    constexpr size_t kHuge = size_t(2) << 20;
    const size_t bytes = (n * sizeof(float) + kHuge - 1) / kHuge * kHuge;
    p_ = static_cast<float*>(std::aligned_alloc(kHuge, bytes));
    if (!p_)
        throw std::bad_alloc();
    madvise(p_, bytes, MADV_HUGEPAGE);  // advice only: without it the pages come one by one
    n_ = n;
}

bool makeStarImage(const LinearImage& f, StarImage& out)
{
    out = StarImage();
    if (f.width <= 0 || f.height <= 0 || (f.planes != 1 && f.planes != 3))
        return false;
    const size_t need = size_t(f.planeSize()) * size_t(f.planes);
    if (f.isFloat() ? f.f32.size() < need : f.u16.size() < need)
        return false;
    const bool mosaic = f.planes == 1 && f.bayer != BayerPattern::None;
    out.scale = mosaic ? 2 : 1;
    out.width = f.width / out.scale;
    out.height = f.height / out.scale;
    if (out.width <= 0 || out.height <= 0)
        return false;
    out.data.allocate(size_t(out.width) * size_t(out.height));
    const bool bin = int64_t(out.width) * out.height >= kBinnedFrom;
    if (bin) {
        out.binnedWidth = out.width / 2;
        out.binnedHeight = out.height / 2;
        out.binned.allocate(size_t(out.binnedWidth) * size_t(out.binnedHeight));
    } else if (out.width >= kSparseFrom && out.height >= kSparseFrom) {
        out.sparseWidth = (out.width + 1) / 2;
        out.sparseHeight = (out.height + 1) / 2;
        out.sparse.allocate(size_t(out.sparseWidth) * size_t(out.sparseHeight));
    }
    if (f.isFloat())
        fill(f, f.f32.data(), out);
    else
        fill(f, f.u16.data(), out);
    if (bin)
        for (int y = 0; y < out.binnedHeight; ++y) {
            const float* a = out.data.data() + size_t(2 * y) * size_t(out.width);
            const float* b = a + out.width;
            float* d = out.binned.data() + size_t(y) * size_t(out.binnedWidth);
            for (int x = 0; x < out.binnedWidth; ++x)
                d[x] = 0.25f * ((a[2 * x] + a[2 * x + 1]) + (b[2 * x] + b[2 * x + 1]));
        }
    if (f.isFloat())
        out.anyBlank = std::any_of(out.data.data(), out.data.data() + out.data.size(), [](float v) { return std::isnan(v); });
    const Largest l = largestSample(f);
    out.largest = std::isfinite(l.value) ? l.value : 0;
    out.atLargest = l.count;
    return true;
}

bool frameReaches(const LinearImage& f, int scale, int x0, int y0, int x1, int y1, double level)
{
    x0 = std::max(0, x0 * scale);
    y0 = std::max(0, y0 * scale);
    x1 = std::min(f.width - 1, x1 * scale + scale - 1);
    y1 = std::min(f.height - 1, y1 * scale + scale - 1);
    for (int p = 0; p < f.planes; ++p)
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (f.at(x, y, p) >= level)
                    return true;
    return false;
}
