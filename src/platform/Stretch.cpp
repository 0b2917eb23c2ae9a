#include "platform/Stretch.h"

#include "platform/BigBuffer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <thread>
#include <vector>

namespace {

// Enough samples for a median good to a fraction of a percent, whatever the frame's size.
constexpr int64_t kStatsSamples = 250000;

// Runs body(firstRow, endRow) over the rows on the machine's cores: the screen picture of a 26 MP
// frame is made while the user waits.
void forRows(int height, const std::function<void(int, int)>& body)
{
    const int threads = std::clamp(int(std::thread::hardware_concurrency()), 1, 8);
    if (threads == 1 || height < 256) {
        body(0, height);
        return;
    }
    std::vector<std::thread> pool;
    const int step = (height + threads - 1) / threads;
    for (int t = 1; t < threads; ++t) {
        const int a = t * step, b = std::min(height, a + step);
        if (a < b)
            pool.emplace_back(body, a, b);
    }
    body(0, std::min(height, step));
    for (std::thread& th : pool)
        th.join();
}

template <typename T>
double medianOf(std::vector<T>& v)
{
    const size_t mid = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + ptrdiff_t(mid), v.end());
    return double(v[mid]);
}

// The 8-bit value of every 16-bit sample, or of t in [0, 1] quantised to 16 bits for float data.
struct Lut {
    std::vector<uint8_t> table = std::vector<uint8_t>(65536);
};

uint8_t toByte(double y) { return uint8_t(std::lround(std::clamp(y, 0.0, 1.0) * 255)); }

Lut lutForValues(const StretchCurve& c)
{
    Lut lut;
    const double range = std::max(c.white - c.black, 1e-12);
    for (int v = 0; v < 65536; ++v)
        lut.table[size_t(v)] = toByte(midtonesTransfer(c.midtone, (v - c.black) / range));
    return lut;
}

Lut lutForUnit(const StretchCurve& c)
{
    Lut lut;
    for (int v = 0; v < 65536; ++v)
        lut.table[size_t(v)] = toByte(midtonesTransfer(c.midtone, v / 65535.0));
    return lut;
}

// Maps one sample (or a mean of samples) to its byte.
struct U16Map {
    const uint8_t* lut;
    uint8_t operator()(unsigned sum, unsigned n) const { return lut[(sum + n / 2) / n]; }
    uint8_t operator()(uint16_t v) const { return lut[v]; }
};
struct FloatMap {
    const uint8_t* lut;
    float black, scale;  // t = (v − black) × scale
    uint8_t operator()(float v) const
    {
        const float t = (v - black) * scale;
        if (!(t > 0))
            return 0;  // below black, or blank (NaN)
        if (t >= 1)
            return lut[65535];
        return lut[int(t * 65535.0f + 0.5f)];
    }
    uint8_t operator()(float sum, unsigned n) const { return (*this)(sum / float(n)); }
};

template <typename T> struct Acc { using type = unsigned; };
template <> struct Acc<float> { using type = float; };

// Colour (0 R, 1 G, 2 B) of the mosaic at the cell position (x & 1, y & 1).
std::array<int, 4> cellColours(BayerPattern p)
{
    switch (p) {
    case BayerPattern::RGGB: return {0, 1, 1, 2};
    case BayerPattern::BGGR: return {2, 1, 1, 0};
    case BayerPattern::GRBG: return {1, 0, 2, 1};
    case BayerPattern::GBRG: return {1, 2, 0, 1};
    case BayerPattern::None: break;
    }
    return {1, 1, 1, 1};
}

template <typename T, typename Map>
void renderGrey(const T* data, int w, QImage& out, const Map& map, int y0, int y1)
{
    for (int y = y0; y < y1; ++y) {
        const T* src = data + size_t(y) * size_t(w);
        uchar* dst = out.scanLine(y);
        for (int x = 0; x < w; ++x)
            dst[x] = map(src[x]);
    }
}

template <typename T, typename Map>
void renderPlanes(const T* data, int w, int h, QImage& out, const Map& map, int y0, int y1)
{
    const size_t plane = size_t(w) * size_t(h);
    for (int y = y0; y < y1; ++y) {
        const T* r = data + size_t(y) * size_t(w);
        const T* g = r + plane;
        const T* b = g + plane;
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x)
            dst[x] = qRgb(map(r[x]), map(g[x]), map(b[x]));
    }
}

// Bilinear demosaicing: at every pixel, each colour the mosaic did not sample there is the mean of
// that colour's samples among its eight neighbours (inside the frame).
template <typename T, typename Map>
void renderMosaic(const T* data, int w, int h, BayerPattern pattern, QImage& out, const Map& map, int y0, int y1)
{
    using A = typename Acc<T>::type;
    const std::array<int, 4> colours = cellColours(pattern);
    auto colourAt = [&](int x, int y) { return colours[size_t((x & 1) + 2 * (y & 1))]; };
    auto at = [&](int x, int y) { return data[size_t(y) * size_t(w) + size_t(x)]; };
    // Any pixel, borders included: the slow, general rule.
    auto general = [&](int x, int y) {
        A sum[3] = {0, 0, 0};
        unsigned n[3] = {0, 0, 0};
        const int own = colourAt(x, y);
        uint8_t v[3];
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int xx = x + dx, yy = y + dy;
                if (xx < 0 || yy < 0 || xx >= w || yy >= h || (dx == 0 && dy == 0))
                    continue;
                const int c = colourAt(xx, yy);
                sum[c] += A(at(xx, yy));
                ++n[c];
            }
        for (int c = 0; c < 3; ++c)
            v[c] = c == own ? map(at(x, y)) : (n[c] ? map(sum[c], n[c]) : 0);
        return qRgb(v[0], v[1], v[2]);
    };
    for (int y = y0; y < y1; ++y) {
        auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        if (y == 0 || y == h - 1 || w < 3) {
            for (int x = 0; x < w; ++x)
                dst[x] = general(x, y);
            continue;
        }
        const T* up = data + size_t(y - 1) * size_t(w);
        const T* row = up + w;
        const T* down = row + w;
        dst[0] = general(0, y);
        dst[w - 1] = general(w - 1, y);
        for (int x = 1; x < w - 1; ++x) {
            const int own = colourAt(x, y);
            uint8_t v[3];
            v[own] = map(row[x]);
            if (own == 1) {
                // A green site: the other two colours are its row neighbours and its column ones.
                const int side = colourAt(x + 1, y);
                v[side] = map(A(row[x - 1]) + A(row[x + 1]), 2);
                v[2 - side] = map(A(up[x]) + A(down[x]), 2);
            } else {
                v[1] = map(A(row[x - 1]) + A(row[x + 1]) + A(up[x]) + A(down[x]), 4);
                v[2 - own] = map(A(up[x - 1]) + A(up[x + 1]) + A(down[x - 1]) + A(down[x + 1]), 4);
            }
            dst[x] = qRgb(v[0], v[1], v[2]);
        }
    }
}

template <typename T, typename Map>
QImage renderWith(const LinearImage& image, const T* data, const Map& map)
{
    const int w = image.width, h = image.height;
    const bool grey = image.planes == 1 && image.bayer == BayerPattern::None;
    QImage out = bigImage(w, h, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    if (out.isNull())
        return out;
    forRows(h, [&](int y0, int y1) {
        if (grey)
            renderGrey(data, w, out, map, y0, y1);
        else if (image.planes == 3)
            renderPlanes(data, w, h, out, map, y0, y1);
        else
            renderMosaic(data, w, h, image.bayer, out, map, y0, y1);
    });
    return out;
}

}  // namespace

FrameStats frameStats(const LinearImage& image, bool exactExtremes)
{
    FrameStats s;
    if (image.isNull())
        return s;
    const int64_t total = image.planeSize() * image.planes;
    const int64_t step = std::max<int64_t>(1, total / kStatsSamples);
    if (!image.isFloat()) {
        const uint16_t* d = image.u16.data();
        std::vector<uint16_t> sample;
        sample.reserve(size_t(total / step + 1));
        for (int64_t i = 0; i < total; i += step)
            sample.push_back(d[i]);
        const auto [lo, hi] = exactExtremes ? std::minmax_element(d, d + total)
                                            : std::minmax_element(sample.data(), sample.data() + sample.size());
        s.minimum = *lo;
        s.maximum = *hi;
        s.median = medianOf(sample);
        for (uint16_t& v : sample)
            v = uint16_t(std::abs(int(v) - int(s.median)));
        s.mad = medianOf(sample);
        s.empty = false;
        return s;
    }
    const float* d = image.f32.data();
    std::vector<float> sample;
    sample.reserve(size_t(total / step + 1));
    for (int64_t i = 0; i < total; i += step)
        if (std::isfinite(d[i]))
            sample.push_back(d[i]);
    float lo = std::numeric_limits<float>::infinity(), hi = -lo;
    for (int64_t i = 0; i < total; ++i) {
        // Comparisons with NaN are false: blank samples leave the extremes alone.
        if (d[i] < lo)
            lo = d[i];
        if (d[i] > hi)
            hi = d[i];
    }
    if (!(lo <= hi))
        return s;
    if (sample.empty())
        sample.push_back(lo);
    s.median = medianOf(sample);
    for (float& v : sample)
        v = std::fabs(v - float(s.median));
    s.mad = medianOf(sample);
    s.minimum = lo;
    s.maximum = hi;
    s.empty = false;
    return s;
}

double midtonesTransfer(double m, double x)
{
    if (!(x > 0))
        return 0;
    if (x >= 1)
        return 1;
    if (m <= 0)
        return 1;
    if (m >= 1)
        return 0;
    return (m - 1) * x / ((2 * m - 1) * x - m);
}

StretchCurve autoStretch(const FrameStats& stats, const LinearImage& image)
{
    constexpr double kShadowsSigmas = -2.8;
    constexpr double kTargetBackground = 0.25;
    StretchCurve c;
    if (stats.empty)
        return c;
    c.white = image.nominalMax > 0 ? image.nominalMax : stats.maximum;
    c.black = std::max(stats.minimum, stats.median + kShadowsSigmas * 1.4826 * stats.mad);
    if (c.white <= c.black) {
        // A flat frame, or one whose every sample sits at the top: one grey, no division by zero.
        c.black = std::min(stats.minimum, c.white) - 1;
        c.midtone = 0.5;
        return c;
    }
    const double x0 = (stats.median - c.black) / (c.white - c.black);
    // The balance that sends the background to the target: the transfer is its own inverse there.
    c.midtone = x0 <= 0 ? 0.5 : midtonesTransfer(kTargetBackground, x0);
    return c;
}

StretchCurve linearStretch(const FrameStats& stats)
{
    StretchCurve c;
    if (stats.empty)
        return c;
    c.black = stats.minimum;
    c.white = stats.maximum > stats.minimum ? stats.maximum : stats.minimum + 1;
    return c;
}

QImage renderStretched(const LinearImage& image, const StretchCurve& curve)
{
    if (image.isNull())
        return {};
    if (!image.isFloat()) {
        const Lut lut = lutForValues(curve);
        return renderWith(image, image.u16.data(), U16Map{lut.table.data()});
    }
    const Lut lut = lutForUnit(curve);
    const double range = std::max(curve.white - curve.black, 1e-30);
    return renderWith(image, image.f32.data(), FloatMap{lut.table.data(), float(curve.black), float(1.0 / range)});
}
