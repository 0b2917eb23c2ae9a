#include "stars/StarImage.h"

#include <algorithm>
#include <cmath>

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
    out.data.resize(size_t(out.width) * size_t(out.height));
    if (out.width >= kSparseFrom && out.height >= kSparseFrom) {
        out.sparseWidth = (out.width + 1) / 2;
        out.sparseHeight = (out.height + 1) / 2;
        out.sparse.resize(size_t(out.sparseWidth) * size_t(out.sparseHeight));
    }
    if (f.isFloat())
        fill(f, f.f32.data(), out);
    else
        fill(f, f.u16.data(), out);
    if (f.isFloat())
        out.anyBlank = std::any_of(out.data.begin(), out.data.end(), [](float v) { return std::isnan(v); });
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
