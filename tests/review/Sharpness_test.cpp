#include "PlanetFrames.h"
#include "TestFiles.h"
#include "platform/JpegCodec.h"
#include "review/Sharpness.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

namespace {

// Spearman's rank correlation of a score with the true order (index 0 = sharpest): scores are
// ranked from highest to lowest.
double spearmanWithTruth(const std::vector<double>& scores)
{
    const int n = int(scores.size());
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return scores[size_t(a)] > scores[size_t(b)]; });
    double d2 = 0;
    for (int rank = 0; rank < n; ++rank) {
        const double d = rank - order[size_t(rank)];
        d2 += d * d;
    }
    return 1 - 6 * d2 / (double(n) * (double(n) * n - 1));
}

// The variance of the 3 × 3 Laplacian over the whole picture: the measure that was not chosen.
double plainLaplacianVariance(const QImage& grey)
{
    double sum = 0, sq = 0;
    long long n = 0;
    for (int y = 1; y < grey.height() - 1; ++y) {
        const uchar* up = grey.constScanLine(y - 1);
        const uchar* mid = grey.constScanLine(y);
        const uchar* down = grey.constScanLine(y + 1);
        for (int x = 1; x < grey.width() - 1; ++x) {
            const double l = up[x] + down[x] + mid[x - 1] + mid[x + 1] - 4.0 * mid[x];
            sum += l;
            sq += l * l;
            ++n;
        }
    }
    const double mean = sum / double(n);
    return sq / double(n) - mean * mean;
}

// Sixty frames blurred by known σ from 0.5 to 3 (index 0 sharpest), with noise of σ 8 and the
// brightness changed by up to ±20 % at random, handed out in a shuffled order.
struct Series {
    std::vector<QImage> frames;  // frames[i] has the i-th smallest blur
};

const Series& series()
{
    static const Series s = [] {
        Series out;
        std::mt19937 rng(2024);
        std::uniform_real_distribution<double> cloud(0.8, 1.2);
        constexpr int kCount = 60;
        for (int i = 0; i < kCount; ++i) {
            PlanetFrame f;
            f.blurSigma = 0.5 + 2.5 * i / (kCount - 1);
            f.brightness = cloud(rng);
            f.noiseSigma = 8;
            f.seed = unsigned(100 + i);
            out.frames.push_back(planetFrame(f));
        }
        return out;
    }();
    return s;
}

TEST(Sharpness, RanksABlurSeriesInItsTrueOrderAndBetterThanPlainLaplacianVariance)
{
    std::vector<double> ours, plain;
    for (const QImage& frame : series().frames) {
        const SharpnessMeasure m = measureSharpness(frame);
        EXPECT_EQ(m.flags, 0u);
        ours.push_back(m.value);
        plain.push_back(plainLaplacianVariance(frame));
    }
    const double rhoOurs = spearmanWithTruth(ours);
    const double rhoPlain = spearmanWithTruth(plain);
    RecordProperty("spearman", std::to_string(rhoOurs));
    RecordProperty("spearman_plain_laplacian_variance", std::to_string(rhoPlain));
    std::printf("Spearman: %.4f (plain Laplacian variance: %.4f)\n", rhoOurs, rhoPlain);
    EXPECT_GE(rhoOurs, 0.99);
    // The noise of σ 8 dominates the plain variance once the frames are a little blurred, and the
    // cloud changes it with the square of the brightness.
    EXPECT_LT(rhoPlain, rhoOurs);
    EXPECT_LT(rhoPlain, 0.95);
}

TEST(Sharpness, BrightnessDoesNotMakeAFrameSharper)
{
    PlanetFrame f;
    f.noiseSigma = 0;
    f.blurSigma = 1.2;
    f.brightness = 0.8;
    const double dim = measureSharpness(planetFrame(f)).value;
    f.brightness = 1.2;
    const double bright = measureSharpness(planetFrame(f)).value;
    ASSERT_GT(dim, 0);
    EXPECT_NEAR(bright / dim, 1.0, 0.02);
}

TEST(Sharpness, GuardsAndFlags)
{
    PlanetFrame centred;
    centred.noiseSigma = 3;
    PlanetFrame cut = centred;
    cut.centre = QPointF(20, 120);  // most of the disc beyond the left border
    PlanetFrame corner = centred;
    corner.centre = QPointF(300, 225);
    PlanetFrame tangentInside = centred;
    tangentInside.centre = QPointF(82, 120);  // 12 pixels of sky left of the limb
    PlanetFrame skyOnly = centred;
    skyOnly.radius = 0.1;
    skyOnly.noiseSigma = 8;

    QImage black(640, 480, QImage::Format_RGB32);
    black.fill(Qt::black);
    QImage grey(64, 64, QImage::Format_Grayscale8);
    grey.fill(100);
    QImage tiny = planetFrame(centred).copy(150, 110, 10, 10);
    QImage hotPixel(200, 200, QImage::Format_Grayscale8);
    hotPixel.fill(0);
    hotPixel.setPixel(100, 100, 255);

    struct Case {
        const char* name;
        QImage picture;
        unsigned flags;
        bool positive;  // the value is above 0 (else exactly 0)
    } cases[] = {
        {"centred disc", planetFrame(centred), 0, true},
        {"disc cut by the border", planetFrame(cut), SharpnessAtBorder, true},
        {"disc cut at a corner", planetFrame(corner), SharpnessAtBorder, true},
        {"disc near the border", planetFrame(tangentInside), 0, true},
        {"black frame", black, SharpnessNoSignal, false},
        {"null picture", QImage(), SharpnessNoSignal, false},
        {"too small to measure", tiny, SharpnessNoSignal, false},
        {"sky noise only", planetFrame(skyOnly), SharpnessNoSignal, false},
        {"one hot pixel", hotPixel, SharpnessNoSignal, false},
        {"uniform grey: all object, no detail", grey, SharpnessAtBorder, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SharpnessMeasure m = measureSharpness(c.picture);
        EXPECT_EQ(m.flags, c.flags);
        EXPECT_TRUE(std::isfinite(m.value));
        if (c.positive)
            EXPECT_GT(m.value, 0);
        else
            EXPECT_EQ(m.value, 0);
    }
}

TEST(Sharpness, EveryPictureFormatReadsTheSameLuminance)
{
    PlanetFrame f;
    f.width = 201;  // odd sizes: the last column and row have no partner
    f.height = 151;
    f.centre = QPointF(100, 75);
    f.radius = 50;
    const QImage grey = planetFrame(f);
    const double expected = measureSharpness(grey).value;
    ASSERT_GT(expected, 0);

    QImage indexed = grey.convertToFormat(QImage::Format_Indexed8);
    // The same greys through a palette in another order: read through the table.
    QImage shuffled(grey.size(), QImage::Format_Indexed8);
    QList<QRgb> reversed;
    for (int i = 0; i < 256; ++i)
        reversed << qRgb(255 - i, 255 - i, 255 - i);
    shuffled.setColorTable(reversed);
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x)
            shuffled.scanLine(y)[x] = uchar(255 - grey.constScanLine(y)[x]);
    QImage grey16 = grey.convertToFormat(QImage::Format_Grayscale16);
    // A pure red disc has the luminance 0.299 × red (within the rounding to whole levels).
    QImage red(grey.size(), QImage::Format_RGB32);
    QImage redLuma(grey.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x) {
            const int v = qGray(grey.pixel(x, y));
            red.setPixel(x, y, qRgb(v, 0, 0));
            redLuma.scanLine(y)[x] = uchar(std::lround(0.299 * v));
        }
    const double redExpected = measureSharpness(redLuma).value;

    struct Case {
        const char* name;
        QImage picture;
        double value;
        double tolerance = 1e-6;
    } cases[] = {
        {"Indexed8, grey ramp", indexed, expected},
        {"Indexed8, other palette", shuffled, expected},
        {"RGB888", grey.convertToFormat(QImage::Format_RGB888), expected},
        {"RGB32", grey.convertToFormat(QImage::Format_RGB32), expected},
        {"ARGB32", grey.convertToFormat(QImage::Format_ARGB32), expected},
        {"Grayscale16", grey16, expected},
        {"RGBA64", grey.convertToFormat(QImage::Format_RGBA64), expected},
        {"RGBX8888 (converted)", grey.convertToFormat(QImage::Format_RGBX8888), expected},
        {"red RGB32", red, redExpected, 0.02},
        {"red RGB888", red.convertToFormat(QImage::Format_RGB888), redExpected, 0.02},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SharpnessMeasure m = measureSharpness(c.picture);
        EXPECT_EQ(m.flags, 0u);
        EXPECT_NEAR(m.value / c.value, 1.0, c.tolerance);
    }
}

TEST(Sharpness, FilesGoThroughThePictureLayer)
{
    QTemporaryDir dir;
    PlanetFrame f;
    f.noiseSigma = 2;
    const QImage frame = planetFrame(f);
    const QString bmp = dir.filePath(QStringLiteral("frame.bmp"));
    const QString jpg = dir.filePath(QStringLiteral("frame.JPG"));
    const QString broken = dir.filePath(QStringLiteral("broken.bmp"));
    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    ASSERT_TRUE(frame.save(bmp, "BMP"));
    ASSERT_TRUE(encodeJpeg(frame.convertToFormat(QImage::Format_RGB888), 95, jpg).ok);
    ASSERT_TRUE(writeAll(broken, QByteArray("BM not really a bitmap")));
    ASSERT_TRUE(writeAll(text, QByteArray("frame 12: good")));

    const double direct = measureSharpness(frame).value;
    EXPECT_DOUBLE_EQ(measureSharpnessOfFile(bmp).value, direct);  // read back as Indexed8
    const SharpnessMeasure fromJpeg = measureSharpnessOfFile(jpg);
    EXPECT_EQ(fromJpeg.flags, 0u);
    EXPECT_NEAR(fromJpeg.value / direct, 1.0, 0.1);

    for (const QString& path : {broken, text, dir.filePath(QStringLiteral("gone.bmp"))}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(measureSharpnessOfFile(path), (SharpnessMeasure{0, SharpnessUnreadable}));
    }
}

}  // namespace
