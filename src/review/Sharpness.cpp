#include "review/Sharpness.h"

#include "platform/LinearImage.h"
#include "platform/Picture.h"

#include <QColor>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

// The picture is walked once, row by row, keeping the last seven rows of luminance as bytes (an
// 8-bit grey picture's own rows). The smoothing is only needed at every second row and column: the
// vertical pass runs on whole rows in 16-bit integers (exact: the weights add up to 256), the
// horizontal pass on the even and odd columns of its result apart, so that every loop reads memory
// in order and can use vector instructions.

namespace {

constexpr int kRadius = 3;  // the 7 × 7 kernel
constexpr int kRing = 8;    // luminance rows kept (7 needed, a power of two to index)
constexpr int kUnit = 256;  // the sum of the integer weights
// A picture smaller than this has no interior left to measure.
constexpr int kMinSide = 2 * kRadius + 5;
// Fewer bright samples than this is no object at all (a hot pixel or two).
constexpr int kMinBrightSamples = 9;
// A smoothed sample belongs to the object when it is above this share of the object's mean
// brightness (a limb-darkened disc keeps about 0.4 of its centre at the edge, its mean about 0.8).
constexpr double kObjectShare = 1.0 / 3;
// Samples of the border that must be inside the object to call the object cut.
constexpr int kMinBorderSamples = 2;

// The normalised 7-tap Gaussian of σ 1.4, centre first.
std::array<float, kRadius + 1> gaussianTaps()
{
    constexpr double sigma = 1.4;
    std::array<double, kRadius + 1> w{};
    double sum = 0;
    for (int k = 0; k <= kRadius; ++k) {
        w[size_t(k)] = std::exp(-double(k * k) / (2 * sigma * sigma));
        sum += k == 0 ? w[0] : 2 * w[size_t(k)];
    }
    std::array<float, kRadius + 1> out{};
    for (int k = 0; k <= kRadius; ++k)
        out[size_t(k)] = float(w[size_t(k)] / sum);
    return out;
}

// The same weights in integers adding up to kUnit (74, 57, 27, 7), the centre taking the rounding.
std::array<int, kRadius + 1> integerTaps(const std::array<float, kRadius + 1>& taps)
{
    std::array<int, kRadius + 1> out{};
    int sides = 0;
    for (int k = 1; k <= kRadius; ++k) {
        out[size_t(k)] = int(std::lround(taps[size_t(k)] * kUnit));
        sides += 2 * out[size_t(k)];
    }
    out[0] = kUnit - sides;
    return out;
}

struct Taps {
    std::array<float, kRadius + 1> real = gaussianTaps();
    std::array<int, kRadius + 1> whole = integerTaps(real);
};

// Rec. 601 luma weights in 256ths (0.299, 0.587, 0.114).
constexpr int kR = 77, kG = 150, kB = 29;

inline uchar luma8(int r, int g, int b) { return uchar((kR * r + kG * g + kB * b + 128) >> 8); }

// The rows of a picture as luminance bytes.
class RowReader {
public:
    explicit RowReader(const QImage& picture) : img_(picture)
    {
        if (img_.format() == QImage::Format_Indexed8) {
            lut_.fill(0);
            const QList<QRgb> table = img_.colorTable();
            // Monochrome cameras write 8-bit frames with the grey ramp as palette: the index is the
            // luminance, and the picture's own rows are read.
            greyRamp_ = table.size() == 256;
            for (int i = 0; i < table.size() && i < 256; ++i) {
                lut_[size_t(i)] = luma8(qRed(table[i]), qGreen(table[i]), qBlue(table[i]));
                greyRamp_ = greyRamp_ && (table[i] & 0xffffff) == (qRgb(i, i, i) & 0xffffff);
            }
        }
    }

    // Row y: the picture's own row, or its luminance written into buf (width bytes).
    const uchar* row(int y, uchar* __restrict buf) const
    {
        const int w = img_.width();
        const uchar* line = img_.constScanLine(y);
        switch (img_.format()) {
        case QImage::Format_Indexed8:
            if (greyRamp_)
                return line;
            for (int x = 0; x < w; ++x)
                buf[x] = lut_[line[x]];
            return buf;
        case QImage::Format_Grayscale8:
            return line;
        case QImage::Format_RGB888:
            for (int x = 0; x < w; ++x)
                buf[x] = luma8(line[3 * x], line[3 * x + 1], line[3 * x + 2]);
            return buf;
        case QImage::Format_Grayscale16: {
            const auto* p = reinterpret_cast<const quint16*>(line);
            for (int x = 0; x < w; ++x)
                buf[x] = uchar((p[x] + 128) / 257);
            return buf;
        }
        case QImage::Format_RGBX64:
        case QImage::Format_RGBA64:
        case QImage::Format_RGBA64_Premultiplied: {
            const auto* p = reinterpret_cast<const quint16*>(line);
            for (int x = 0; x < w; ++x) {
                const unsigned y16 =
                    (unsigned(kR) * p[4 * x] + unsigned(kG) * p[4 * x + 1] + unsigned(kB) * p[4 * x + 2] + 128) >> 8;
                buf[x] = uchar((y16 + 128) / 257);
            }
            return buf;
        }
        default: {  // 32-bit RGB: the formats readableForm leaves
            const auto* p = reinterpret_cast<const quint32*>(line);
            for (int x = 0; x < w; ++x)
                buf[x] = luma8(int((p[x] >> 16) & 0xff), int((p[x] >> 8) & 0xff), int(p[x] & 0xff));
            return buf;
        }
        }
    }

private:
    const QImage& img_;
    std::array<uchar, 256> lut_{};
    bool greyRamp_ = false;
};

// The formats RowReader reads directly; every other one is converted first.
QImage readableForm(const QImage& picture)
{
    switch (picture.format()) {
    case QImage::Format_Grayscale8:
    case QImage::Format_Indexed8:
    case QImage::Format_RGB888:
    case QImage::Format_Grayscale16:
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
    case QImage::Format_RGBA64_Premultiplied:
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return picture;
    default:
        return picture.depth() > 32 ? picture.convertToFormat(QImage::Format_RGBA64)
                                    : picture.convertToFormat(QImage::Format_RGB32);
    }
}

// Sums over the smoothed samples and the noise blocks.
struct Sums {
    double lap = 0, lapSq = 0;
    long long lapCount = 0;
    double bright = 0;
    long long brightCount = 0;
    double noiseSq = 0;
    long long noiseCount = 0;
};

// The picture's finest checkerboard pattern, (a - b - c + d) / 2 over a 2 × 2 block of pixels, has
// the variance of the pixel noise and hardly any of a picture blurred by the air: its mean square
// over the blocks of the object, between two rows, estimates the noise.
void addNoise(const uchar* __restrict r0, const uchar* __restrict r1, int width, Sums& s)
{
    // In stretches short enough for 32-bit sums (510² × 4096 < 2^31).
    constexpr int kStretch = 4096;
    long long total = 0;
    int count = 0;
    for (int start = 0; start + 1 < width; start += kStretch) {
        const int end = std::min(width - 1, start + kStretch);
        int sq = 0;
        for (int x = start; x < end; ++x) {
            const int c2 = (r0[x] - r0[x + 1]) - (r1[x] - r1[x + 1]);  // twice the pattern
            const int in = (r0[x] + r0[x + 1] + r1[x] + r1[x + 1]) > 4 * int(kSharpnessThreshold);
            sq += in * c2 * c2;
            count += in;
        }
        total += sq;
    }
    s.noiseSq += double(total) / 4;
    s.noiseCount += count;
}

// The share of pixel noise variance that reaches the Laplacian of the smoothed samples: the sum of
// the squares of the whole operator (smoothing, then the Laplacian two pixels apart) as one kernel.
double noiseGain(const std::array<float, kRadius + 1>& w)
{
    constexpr int kSide = 2 * kRadius + 1, kSpan = kSide + 4;
    double kernel[kSpan][kSpan] = {};
    auto add = [&](int dx, int dy, double f) {
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x)
                kernel[y + 2 + dy][x + 2 + dx] +=
                    f * w[size_t(std::abs(x - kRadius))] * w[size_t(std::abs(y - kRadius))];
    };
    add(-2, 0, 1);
    add(2, 0, 1);
    add(0, -2, 1);
    add(0, 2, 1);
    add(0, 0, -4);
    double gain = 0;
    for (const auto& row : kernel)
        for (double v : row)
            gain += v * v;
    return gain;
}

// The vertical pass over whole rows, in kUnit-ths of a level.
void verticalSmooth(const uchar* const rows[7], int n, const std::array<int, 4>& w, quint16* __restrict out)
{
    const quint16 w0 = quint16(w[0]), w1 = quint16(w[1]), w2 = quint16(w[2]), w3 = quint16(w[3]);
    const uchar* __restrict r0 = rows[0];
    const uchar* __restrict r1 = rows[1];
    const uchar* __restrict r2 = rows[2];
    const uchar* __restrict r3 = rows[3];
    const uchar* __restrict r4 = rows[4];
    const uchar* __restrict r5 = rows[5];
    const uchar* __restrict r6 = rows[6];
    for (int k = 0; k < n; ++k)
        out[k] = quint16(w0 * r3[k] + w1 * quint16(r2[k] + r4[k]) + w2 * quint16(r1[k] + r5[k])
                         + w3 * quint16(r0[k] + r6[k]));
}

// Splits a row into its even and odd columns, back on the scale of levels.
void splitColumns(const quint16* __restrict row, int width, float* __restrict ev, float* __restrict od)
{
    constexpr float scale = 1.f / kUnit;
    for (int k = 0; k < width / 2; ++k) {
        ev[k] = float(row[2 * k]) * scale;
        od[k] = float(row[2 * k + 1]) * scale;
    }
    if (width & 1)
        ev[width / 2] = float(row[width - 1]) * scale;
}

// One row of smoothed samples, at the odd columns 3, 5, 7, ... from the even and odd columns of the
// vertically smoothed row.
void smoothRow(const float* __restrict ev, const float* __restrict od, int nx, const std::array<float, 4>& w,
               float* __restrict out)
{
    // Sample i is at column 2i + 3: columns 2i..2i+6 are ev[i], od[i], ev[i+1], od[i+1], ev[i+2],
    // od[i+2], ev[i+3].
    const float w0 = w[0], w1 = w[1], w2 = w[2], w3 = w[3];
    for (int i = 0; i < nx; ++i)
        out[i] = w0 * od[i + 1] + w1 * (ev[i + 1] + ev[i + 2]) + w2 * (od[i] + od[i + 2]) + w3 * (ev[i] + ev[i + 3]);
}

void addBrightness(const float* __restrict b, int nx, Sums& s)
{
    float sum = 0, count = 0;
    for (int i = 0; i < nx; ++i) {
        const float in = b[i] > float(kSharpnessThreshold) ? 1.f : 0.f;
        sum += in * b[i];
        count += in;
    }
    s.bright += sum;
    s.brightCount += (long long)count;
}

// The Laplacian of the samples one step apart, on the inner samples of row `mid` that belong to the
// object.
void addLaplacian(const float* __restrict up, const float* __restrict mid, const float* __restrict down, int nx,
                  float level, Sums& s)
{
    // The mask as a factor keeps the loop free of branches.
    float sum = 0, sq = 0, count = 0;
    for (int i = 1; i < nx - 1; ++i) {
        const float l = up[i] + down[i] + mid[i - 1] + mid[i + 1] - 4 * mid[i];
        const float in = mid[i] > level ? 1.f : 0.f;
        sum += in * l;
        sq += in * l * l;
        count += in;
    }
    s.lap += sum;
    s.lapSq += sq;
    s.lapCount += (long long)count;
}

int countAbove(const float* __restrict b, int n, float level)
{
    int count = 0;
    for (int i = 0; i < n; ++i)
        count += b[i] > level ? 1 : 0;
    return count;
}

// The measure of a picture RowReader reads, at least kMinSide a side. Built for processors with
// 512-bit vectors, with 256-bit vectors and fused multiply-add, and for any x86-64; the one for the
// processor is chosen when the program loads. Everything it calls is built into it.
[[gnu::flatten, gnu::target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")]] SharpnessMeasure
measureReadable(const QImage& img, const Taps& taps)
{
    const SharpnessMeasure nothing{0, SharpnessNoSignal};
    const int width = img.width(), height = img.height();
    const int half = (width + 1) / 2;
    const int nx = (width - 2 * kRadius - 1) / 2 + 1;   // samples at columns 3, 5, ... width - 4
    const int ny = (height - 2 * kRadius - 1) / 2 + 1;  // and rows 3, 5, ...

    // Luminance rows converted from other formats, the vertically smoothed row whole and split,
    // and the grid of smoothed samples; kept per thread, as every frame of a list has the same size.
    thread_local std::vector<uchar> converted;
    thread_local std::vector<quint16> smoothed;
    thread_local std::vector<float> columns, grid;
    converted.resize(size_t(kRing) * size_t(width));
    smoothed.resize(size_t(width));
    columns.resize(2 * size_t(half));
    grid.resize(size_t(nx) * size_t(ny));
    float* vEv = columns.data();
    float* vOd = vEv + half;
    auto sampleRow = [&](int j) { return grid.data() + size_t(j) * size_t(nx); };

    const RowReader reader(img);
    const uchar* ring[kRing] = {};
    Sums sums;
    int loaded = -1;
    for (int j = 0; j < ny; ++j) {
        const int centre = kRadius + 2 * j;  // rows 3, 5, ...
        while (loaded < centre + kRadius) {
            ++loaded;
            ring[loaded % kRing] = reader.row(loaded, converted.data() + size_t(loaded % kRing) * size_t(width));
            // The noise from one pair of rows in four is plenty.
            if (loaded % 8 == 1)
                addNoise(ring[(loaded - 1) % kRing], ring[loaded % kRing], width, sums);
        }
        const uchar* window[7];
        for (int k = 0; k < 7; ++k)
            window[k] = ring[(centre - kRadius + k) % kRing];
        verticalSmooth(window, width, taps.whole, smoothed.data());
        splitColumns(smoothed.data(), width, vEv, vOd);
        smoothRow(vEv, vOd, nx, taps.real, sampleRow(j));
        addBrightness(sampleRow(j), nx, sums);
    }
    if (sums.brightCount < kMinBrightSamples)
        return nothing;
    const double brightness = sums.bright / double(sums.brightCount);

    // The object is where the smoothed picture is above a share of its own brightness: the same
    // outline whatever the cloud, so that a brighter frame does not bring more of its limb in.
    const float objectLevel = float(std::max(kSharpnessThreshold, brightness * kObjectShare));
    for (int j = 1; j < ny - 1; ++j)
        addLaplacian(sampleRow(j - 1), sampleRow(j), sampleRow(j + 1), nx, objectLevel, sums);
    if (sums.lapCount <= 0)
        return nothing;
    const double mean = sums.lap / double(sums.lapCount);
    // The noise's own share of the variance is taken away: it would make a dimmer frame (the noise
    // larger beside its detail) look sharper.
    static const double gain = noiseGain(taps.real);
    const double noise = sums.noiseCount > 0 ? sums.noiseSq / double(sums.noiseCount) : 0.0;
    const double variance = std::max(0.0, sums.lapSq / double(sums.lapCount) - mean * mean - gain * noise);
    SharpnessMeasure m;
    m.value = std::sqrt(variance) / brightness;
    if (!std::isfinite(m.value))
        return nothing;

    int onBorder = countAbove(sampleRow(0), nx, objectLevel) + countAbove(sampleRow(ny - 1), nx, objectLevel);
    for (int j = 1; j < ny - 1; ++j)
        onBorder += (sampleRow(j)[0] > objectLevel ? 1 : 0) + (sampleRow(j)[nx - 1] > objectLevel ? 1 : 0);
    if (onBorder >= kMinBorderSamples)
        m.flags |= SharpnessAtBorder;
    return m;
}

}  // namespace

SharpnessMeasure measureSharpness(const QImage& picture)
{
    if (picture.isNull() || picture.width() < kMinSide || picture.height() < kMinSide)
        return {0, SharpnessNoSignal};
    const QImage img = readableForm(picture);
    if (img.isNull())
        return {0, SharpnessNoSignal};
    static const Taps taps;
    return measureReadable(img, taps);
}

SharpnessMeasure measureSharpness(const LinearImage& frame)
{
    if (frame.isNull())
        return {0, SharpnessNoSignal};
    const int w = frame.width, h = frame.height;
    const size_t plane = size_t(frame.planeSize());
    QImage img(w, h, QImage::Format_Grayscale8);
    if (img.isNull())
        return {0, SharpnessNoSignal};
    if (!frame.isFloat() && frame.planes == 1) {
        // The common case (a mono or mosaic camera frame): straight from the 16-bit samples;
        // 8-bit data (a video's frames) as it is, the same measure as its BMP file would get.
        const uint16_t* d = frame.u16.data();
        const unsigned top = frame.nominalMax == 255 ? 255 : *std::max_element(d, d + plane);
        const float scale = top > 0 ? 255.0f / float(top) : 0.0f;
        for (int y = 0; y < h; ++y) {
            uchar* dst = img.scanLine(y);
            const uint16_t* src = d + size_t(y) * size_t(w);
            for (int x = 0; x < w; ++x)
                dst[x] = uchar(float(src[x]) * scale + 0.5f);
        }
        return measureSharpness(img);
    }
    // The grey level in the frame's units; blank samples count as 0.
    std::vector<float> grey(plane);
    float top = 0;
    for (size_t i = 0; i < plane; ++i) {
        float sum = 0;
        for (int p = 0; p < frame.planes; ++p) {
            const float v = frame.isFloat() ? frame.f32[i + p * plane] : float(frame.u16[i + p * plane]);
            sum += std::isfinite(v) ? v : 0.0f;
        }
        grey[i] = sum / float(frame.planes);
        top = std::max(top, grey[i]);
    }
    const float scale = top > 0 ? 255.0f / top : 0.0f;
    for (int y = 0; y < h; ++y) {
        uchar* dst = img.scanLine(y);
        const float* src = grey.data() + size_t(y) * size_t(w);
        for (int x = 0; x < w; ++x)
            dst[x] = uchar(std::max(0.0f, src[x]) * scale + 0.5f);
    }
    return measureSharpness(img);
}

SharpnessMeasure measureSharpnessOfFile(const QString& path)
{
    const PictureResult r = loadPictureData(path);
    if (!r.ok())
        return {0, SharpnessUnreadable};
    if (r.linear)
        return measureSharpness(*r.linear);
    return measureSharpness(r.image);
}

QString sharpnessMarks(unsigned flags)
{
    QStringList marks;
    if (flags & SharpnessUnreadable)
        marks << QStringLiteral("illisible");
    if (flags & SharpnessNoSignal)
        marks << QStringLiteral("noir");
    if (flags & SharpnessAtBorder)
        marks << QStringLiteral("bord");
    return marks.join(QLatin1Char(' '));
}
