#pragma once
// The mono image the star measure works on, made from a frame's linear data in one pass: the plane
// as floats, the mean of three planes, or a colour mosaic binned 2 × 2. The same pass keeps every
// second pixel of every second row apart: the background is estimated on that quarter, which has
// the same noise per pixel and costs a quarter of the time.
#include "platform/LinearImage.h"

#include <cstdint>
#include <vector>

struct StarImage {
    int width = 0, height = 0;
    std::vector<float> data;  // NaN for blank pixels until the background is taken away
    int scale = 1;            // frame pixels per measured pixel along a side (2 for a binned mosaic)
    // Every second pixel of every second row of data (empty when the image is too small for it to
    // be worth it: then the background is estimated on data itself).
    int sparseWidth = 0, sparseHeight = 0;
    std::vector<float> sparse;
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
