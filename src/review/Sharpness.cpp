#include "review/Sharpness.h"

#include "platform/Picture.h"

#include <QColor>

#include <array>
#include <cmath>
#include <vector>

// The picture is walked once, row by row. Each luminance row is kept split into its even and odd
// pixels, so that the smoothing, which is only needed at every second pixel, reads memory in
// order and the compiler can use vector instructions throughout.

namespace {

constexpr int kRadius = 3;  // the 7 × 7 kernel
constexpr int kRing = 8;    // luminance rows kept (7 needed, a power of two to index)
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

// Rec. 601 luma weights.
constexpr float kR = 0.299f, kG = 0.587f, kB = 0.114f;

// One row of luminance, split into even pixels (ev) and odd pixels (od).
class RowReader {
public:
    explicit RowReader(const QImage& picture) : img_(picture)
    {
        if (img_.format() == QImage::Format_Indexed8) {
            lut_.fill(0.f);
            const QList<QRgb> table = img_.colorTable();
            // Monochrome cameras write 8-bit frames with the grey ramp as palette: the index is the
            // luminance, read without a table.
            greyRamp_ = table.size() == 256;
            for (int i = 0; i < table.size() && i < 256; ++i) {
                lut_[size_t(i)] = kR * qRed(table[i]) + kG * qGreen(table[i]) + kB * qBlue(table[i]);
                greyRamp_ = greyRamp_ && (table[i] & 0xffffff) == (qRgb(i, i, i) & 0xffffff);
            }
        }
    }

    void read(int y, float* __restrict ev, float* __restrict od) const
    {
        const int w = img_.width();
        const int pairs = w / 2;
        const uchar* line = img_.constScanLine(y);
        switch (img_.format()) {
        case QImage::Format_Indexed8:
            if (!greyRamp_) {
                readIndexed(line, w, ev, od);
                break;
            }
            [[fallthrough]];
        case QImage::Format_Grayscale8: {
            const uchar* p = line;
            for (int k = 0; k < pairs; ++k) {
                ev[k] = p[2 * k];
                od[k] = p[2 * k + 1];
            }
            if (w & 1)
                ev[pairs] = p[w - 1];
            break;
        }
        case QImage::Format_RGB888: {
            const uchar* p = line;
            auto luma = [p](int x) { return kR * p[3 * x] + kG * p[3 * x + 1] + kB * p[3 * x + 2]; };
            for (int k = 0; k < pairs; ++k) {
                ev[k] = luma(2 * k);
                od[k] = luma(2 * k + 1);
            }
            if (w & 1)
                ev[pairs] = luma(w - 1);
            break;
        }
        case QImage::Format_Grayscale16: {
            const auto* p = reinterpret_cast<const quint16*>(line);
            constexpr float scale = 1.f / 257;
            for (int k = 0; k < pairs; ++k) {
                ev[k] = p[2 * k] * scale;
                od[k] = p[2 * k + 1] * scale;
            }
            if (w & 1)
                ev[pairs] = p[w - 1] * scale;
            break;
        }
        case QImage::Format_RGBX64:
        case QImage::Format_RGBA64:
        case QImage::Format_RGBA64_Premultiplied: {
            const auto* p = reinterpret_cast<const quint16*>(line);
            auto luma = [p](int x) { return (kR * p[4 * x] + kG * p[4 * x + 1] + kB * p[4 * x + 2]) * (1.f / 257); };
            for (int k = 0; k < pairs; ++k) {
                ev[k] = luma(2 * k);
                od[k] = luma(2 * k + 1);
            }
            if (w & 1)
                ev[pairs] = luma(w - 1);
            break;
        }
        default: {  // 32-bit RGB: the formats the constructor's caller left
            const auto* p = reinterpret_cast<const quint32*>(line);
            auto luma = [p](int x) {
                const quint32 c = p[x];
                return kR * float((c >> 16) & 0xff) + kG * float((c >> 8) & 0xff) + kB * float(c & 0xff);
            };
            for (int k = 0; k < pairs; ++k) {
                ev[k] = luma(2 * k);
                od[k] = luma(2 * k + 1);
            }
            if (w & 1)
                ev[pairs] = luma(w - 1);
            break;
        }
        }
    }

private:
    void readIndexed(const uchar* p, int w, float* __restrict ev, float* __restrict od) const
    {
        for (int x = 0; x < w; ++x)
            ((x & 1) ? od : ev)[x / 2] = lut_[p[x]];
    }

    const QImage& img_;
    std::array<float, 256> lut_{};
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

// Sums of the Laplacian and of the brightness over the smoothed samples.
struct Sums {
    double lap = 0, lapSq = 0;
    long long lapCount = 0;
    double bright = 0;
    long long brightCount = 0;
    double noiseSq = 0;
    long long noiseCount = 0;
};

// The picture's finest checkerboard pattern, (a - b - c + d) / 2 over each 2 × 2 block of pixels,
// has the variance of the pixel noise and hardly any of a picture blurred by the air: its mean
// square over the blocks of the object estimates the noise.
void addNoise(const float* __restrict e0, const float* __restrict o0, const float* __restrict e1,
              const float* __restrict o1, int n, Sums& s)
{
    float sq = 0, count = 0;
    for (int k = 0; k < n; ++k) {
        const float c = 0.5f * (e0[k] - o0[k] - e1[k] + o1[k]);
        const float in = (e0[k] + o0[k] + e1[k] + o1[k]) > 4 * float(kSharpnessThreshold) ? 1.f : 0.f;
        sq += in * c * c;
        count += in;
    }
    s.noiseSq += sq;
    s.noiseCount += (long long)count;
}

// The share of pixel noise variance that reaches the Laplacian of the smoothed samples: the sum of
// the squares of the whole operator (smoothing, then the Laplacian two pixels apart) as one kernel.
double noiseGain()
{
    const std::array<float, kRadius + 1> w = gaussianTaps();
    constexpr int kSide = 2 * kRadius + 1, kSpan = kSide + 4;
    double kernel[kSpan][kSpan] = {};
    auto add = [&](int dx, int dy, double f) {
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x)
                kernel[y + 2 + dy][x + 2 + dx] += f * w[size_t(std::abs(x - kRadius))] * w[size_t(std::abs(y - kRadius))];
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

// One row of smoothed samples, at the odd columns 3, 5, 7, ... from the even and odd halves of the
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

void verticalSmooth(const float* const rows[7], int n, const std::array<float, 4>& w, float* __restrict out)
{
    const float w0 = w[0], w1 = w[1], w2 = w[2], w3 = w[3];
    const float* __restrict r0 = rows[0];
    const float* __restrict r1 = rows[1];
    const float* __restrict r2 = rows[2];
    const float* __restrict r3 = rows[3];
    const float* __restrict r4 = rows[4];
    const float* __restrict r5 = rows[5];
    const float* __restrict r6 = rows[6];
    for (int k = 0; k < n; ++k)
        out[k] = w0 * r3[k] + w1 * (r2[k] + r4[k]) + w2 * (r1[k] + r5[k]) + w3 * (r0[k] + r6[k]);
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

}  // namespace

SharpnessMeasure measureSharpness(const QImage& picture)
{
    const SharpnessMeasure nothing{0, SharpnessNoSignal};
    if (picture.isNull() || picture.width() < kMinSide || picture.height() < kMinSide)
        return nothing;
    const QImage img = readableForm(picture);
    if (img.isNull())
        return nothing;

    static const std::array<float, 4> w = gaussianTaps();
    const int width = img.width(), height = img.height();
    const int half = (width + 1) / 2;
    const int nx = (width - 2 * kRadius - 1) / 2 + 1;   // samples at columns 3, 5, ... width - 4
    const int ny = (height - 2 * kRadius - 1) / 2 + 1;  // and rows 3, 5, ...

    // Luminance rows (even half, odd half) and the vertically smoothed row, then the grid of
    // smoothed samples; kept per thread, as every frame of a list has the same size.
    thread_local std::vector<float> rows, grid;
    rows.resize(size_t(kRing) * 2 * half + 2 * size_t(half));
    grid.resize(size_t(nx) * size_t(ny));
    float* ring = rows.data();
    float* vEv = ring + size_t(kRing) * 2 * half;
    float* vOd = vEv + half;
    auto evRow = [&](int y) { return ring + size_t(y % kRing) * 2 * half; };
    auto odRow = [&](int y) { return ring + size_t(y % kRing) * 2 * half + half; };
    auto sampleRow = [&](int j) { return grid.data() + size_t(j) * size_t(nx); };

    const RowReader reader(img);
    Sums sums;
    int loaded = -1;
    for (int j = 0; j < ny; ++j) {
        const int centre = kRadius + 2 * j;  // rows 3, 5, ...
        while (loaded < centre + kRadius) {
            ++loaded;
            reader.read(loaded, evRow(loaded), odRow(loaded));
            if (loaded & 1)
                addNoise(evRow(loaded - 1), odRow(loaded - 1), evRow(loaded), odRow(loaded), width / 2, sums);
        }
        const float* evs[7];
        const float* ods[7];
        for (int k = 0; k < 7; ++k) {
            evs[k] = evRow(centre - kRadius + k);
            ods[k] = odRow(centre - kRadius + k);
        }
        verticalSmooth(evs, half, w, vEv);
        verticalSmooth(ods, width / 2, w, vOd);
        smoothRow(vEv, vOd, nx, w, sampleRow(j));
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
    static const double gain = noiseGain();
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

SharpnessMeasure measureSharpnessOfFile(const QString& path)
{
    const PictureResult r = loadPicture(path);
    if (!r.ok())
        return {0, SharpnessUnreadable};
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
