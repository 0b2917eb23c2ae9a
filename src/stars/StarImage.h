#pragma once
// The mono image the star measure works on, made from a frame's linear data in one pass: the plane
// as floats, the mean of three planes, or a colour mosaic binned 2 × 2. The same pass keeps every
// second pixel of every second row apart: the background is estimated on that quarter, which has
// the same noise per pixel and costs a quarter of the time. Images above kBinnedFrom pixels are
// binned 2 × 2 instead, for the background and the search for sources.
#include "platform/LinearImage.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Floats left uninitialised, in memory the system may map by huge pages: a 26 MP frame is 100 MB,
// and mapping it page by page costs more than the whole measure on some machines.
class FloatBuffer {
public:
    FloatBuffer() = default;
    FloatBuffer(const FloatBuffer&) = delete;
    FloatBuffer& operator=(const FloatBuffer&) = delete;
    FloatBuffer(FloatBuffer&& o) noexcept : p_(o.p_), n_(o.n_) { o.p_ = nullptr, o.n_ = 0; }
    FloatBuffer& operator=(FloatBuffer&& o) noexcept;
    ~FloatBuffer();
    // Throws std::bad_alloc when memory runs out.
    void allocate(size_t n);
    float* data() { return p_; }
    const float* data() const { return p_; }
    size_t size() const { return n_; }
    bool empty() const { return n_ == 0; }

private:
    float* p_ = nullptr;
    size_t n_ = 0;
};

constexpr int64_t kBinnedFrom = 8000000;

struct StarImage {
    int width = 0, height = 0;
    FloatBuffer data;  // NaN for blank pixels until the background is taken away
    int scale = 1;            // frame pixels per measured pixel along a side (2 for a binned mosaic)
    // Every second pixel of every second row of data (empty when the image is too small for it to
    // be worth it, or binned below: then the background is estimated on data itself or on binned).
    int sparseWidth = 0, sparseHeight = 0;
    FloatBuffer sparse;
    // A large image binned 2 × 2 (the mean of each cell), where sources are searched and the
    // background estimated: a star of a large frame spans enough pixels at half the resolution, and
    // the search costs a quarter.
    int binnedWidth = 0, binnedHeight = 0;
    FloatBuffer binned;
    bool anyBlank = false;
    // The frame's largest sample and how many samples reach it: many samples at exactly the largest
    // value are a clipping level.
    double largest = 0;
    int64_t atLargest = 0;
};

// False when the frame's data is missing or does not match its size.
bool makeStarImage(const LinearImage& frame, StarImage& out);

// Whether a star whose measured pixels span [x0, x1] × [y0, y1] touches a sample of the frame at or
// above level (in any plane, any pixel of a mosaic's cells).
bool frameReaches(const LinearImage& frame, int scale, int x0, int y0, int x1, int y1, double level);
