#pragma once
// One decoded frame at 8 bits per sample, as the extractor hands it to the BMP writer and the
// preview: rows top-down, no padding, one grey byte or three bytes in B, G, R order per pixel.
// The samples are its own, or, for a frame already stored that way, a view of someone else's
// (a mapped video): then they are only read, through row() const.
#include <cstddef>
#include <cstdint>
#include <vector>

struct Frame8 {
    int width = 0;
    int height = 0;
    int channels = 0;  // 1 grey, 3 BGR
    std::vector<uint8_t> pixels;  // own samples (unused while viewing)
    const uint8_t* view = nullptr;

    void reset(int w, int h, int c)
    {
        width = w;
        height = h;
        channels = c;
        view = nullptr;
        pixels.resize(size_t(w) * size_t(h) * size_t(c));
    }
    // Views samples held elsewhere, which must stay until the frame is used.
    void viewOf(const uint8_t* data, int w, int h, int c)
    {
        width = w;
        height = h;
        channels = c;
        view = data;
    }
    const uint8_t* data() const { return view ? view : pixels.data(); }
    uint8_t* row(int y) { return pixels.data() + size_t(y) * size_t(width) * size_t(channels); }
    const uint8_t* row(int y) const { return data() + size_t(y) * size_t(width) * size_t(channels); }
};

// The grey level the extractor gives a colour pixel when grey output is asked for (the program's
// default colour-filter weights, out of 256).
inline uint8_t greyOf(uint8_t b, uint8_t g, uint8_t r)
{
    return uint8_t((77 * unsigned(r) + 151 * unsigned(g) + 28 * unsigned(b) + 128) >> 8);
}

// Turns a BGR frame into a grey one in place.
inline void makeGrey(Frame8& f)
{
    if (f.channels != 3 || f.view)
        return;
    const size_t n = size_t(f.width) * size_t(f.height);
    uint8_t* p = f.pixels.data();
    for (size_t i = 0; i < n; ++i)
        p[i] = greyOf(p[3 * i], p[3 * i + 1], p[3 * i + 2]);
    f.channels = 1;
    f.pixels.resize(n);
}
