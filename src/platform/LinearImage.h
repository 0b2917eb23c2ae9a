#pragma once
// A frame's data as the camera recorded it (FITS, 16-bit PNG/TIFF, 12/16-bit video): linear
// samples, kept beside the 8-bit picture made for the screen, so that measures never see the
// display curve.
#include <cstddef>
#include <cstdint>
#include <vector>

// The colour mosaic of a one-plane frame, already moved to the frame's own origin (a header's
// X/Y offsets applied): the colours of the 2 × 2 cell at (0, 0), read row by row.
enum class BayerPattern { None, RGGB, BGGR, GRBG, GBRG };

struct LinearImage {
    int width = 0;
    int height = 0;
    int planes = 1;  // 1 (grey or a mosaic) or 3 (R, G, B planes, one after the other)
    BayerPattern bayer = BayerPattern::None;
    // One of the two is filled, planar (plane p, row y, column x at (p * height + y) * width + x).
    // Unsigned integer data up to 16 bits stays 16-bit; anything else (signed, 32-bit, scaled,
    // floating point) is float, with NaN for blank pixels.
    std::vector<uint16_t> u16;
    std::vector<float> f32;
    // The largest value the data's type can hold (255, 4095, 65535) for integer data; 0 when the
    // range is only known from the data itself (floating point).
    double nominalMax = 0;

    bool isFloat() const { return !f32.empty(); }
    bool isNull() const { return width <= 0 || height <= 0 || (u16.empty() && f32.empty()); }
    int64_t planeSize() const { return int64_t(width) * height; }
    // Sample of plane p at (x, y) as a double (NaN for a blank float sample).
    double at(int x, int y, int p = 0) const
    {
        const int64_t i = (int64_t(p) * height + y) * width + x;
        return isFloat() ? double(f32[size_t(i)]) : double(u16[size_t(i)]);
    }
};
