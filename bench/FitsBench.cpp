// Linear frames: the next 26 MP 16-bit FITS frame shown in the slideshow (read from the page cache,
// stretched, scaled to the window), cold and decoded ahead, in grey and as a colour mosaic; the same
// read and stretch done by astropy and numpy, timed in the same run; and "Mesurer la Netteté" over
// 2,000 16-bit FITS frames of 640 × 480.
#include "PlanetFrames.h"
#include "controller/ReviewController.h"
#include "controller/SharpnessCommands.h"
#include "platform/DisplayStretch.h"
#include "review/UDiapo.h"
#include "settings/Options.h"

#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fitsio.h>

#include <memory>
#include <random>
#include <stdexcept>

namespace {

constexpr int kBigFiles = 4;
constexpr int kWidth = 6248, kHeight = 4176;

// A deep-sky frame: sky noise and a few hundred stars, 16-bit unsigned (BITPIX 16, BZERO 32768).
void writeFits16(const QString& path, int w, int h, unsigned seed, const char* bayer = nullptr,
                 const QImage* planet = nullptr)
{
    std::vector<uint16_t> data(size_t(w) * h);
    std::mt19937 rng(seed);
    std::normal_distribution<float> noise(1200, 30);
    if (planet) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                data[size_t(y) * w + x] = uint16_t(planet->constScanLine(y)[x] * 200 + 500);
    } else {
        for (uint16_t& v : data)
            v = uint16_t(std::clamp(noise(rng), 0.0f, 65535.0f));
        std::uniform_int_distribution<int> px(5, w - 6), py(5, h - 6);
        for (int s = 0; s < 400; ++s) {
            const int cx = px(rng), cy = py(rng);
            for (int dy = -4; dy <= 4; ++dy)
                for (int dx = -4; dx <= 4; ++dx)
                    data[size_t(cy + dy) * w + cx + dx] += uint16_t(20000 * std::exp(-(dx * dx + dy * dy) / 4.0));
        }
    }
    fitsfile* f = nullptr;
    int status = 0;
    const QByteArray name = QByteArray("!") + path.toLocal8Bit();
    long naxes[2] = {w, h};
    fits_create_file(&f, name.constData(), &status);
    fits_create_img(f, USHORT_IMG, 2, naxes, &status);
    if (bayer)
        fits_update_key(f, TSTRING, "BAYERPAT", const_cast<char*>(bayer), nullptr, &status);
    fits_write_img(f, TUSHORT, 1, LONGLONG(data.size()), data.data(), &status);
    fits_close_file(f, &status);
    if (status)
        throw std::runtime_error("cannot write the benchmark FITS frames");
}

struct BigFrames {
    QTemporaryDir dir;
    QStringList paths;
    explicit BigFrames(const char* bayer)
    {
        for (int i = 0; i < kBigFiles; ++i) {
            paths << dir.filePath(QStringLiteral("light%1.fits").arg(i));
            writeFits16(paths.last(), kWidth, kHeight, unsigned(i + 1), bayer);
        }
    }
};

const BigFrames& greyFrames()
{
    static const BigFrames f(nullptr);
    return f;
}

const BigFrames& mosaicFrames()
{
    static const BigFrames f("RGGB");
    return f;
}

// Cold: every iteration shows the next file, with nothing decoded ahead. The linked curve is made
// by the first frame, as after opening a list; "per frame" measures each frame's statistics too.
void showCold(benchmark::State& state, const BigFrames& frames)
{
    setDefaults(programOptions());
    programOptions().SlidePosition = 1;
    DisplayStretch::setMode(state.range(0) ? StretchMode::PerFrame : StretchMode::Linked);
    DisplayStretch::resetLinked();
    ReviewController review;
    auto diapo = std::make_unique<TFormDiapo>(review);
    diapo->resize(1024, 768);
    diapo->show();
    // Warmed up as the peer is: every file shown once, so that both are timed on files in the page
    // cache and on a process past its first allocations.
    for (const QString& path : frames.paths)
        review.ShowImage(path);
    DisplayStretch::resetLinked();
    int i = 0;
    for (auto _ : state)
        if (!review.ShowImage(frames.paths[i++ % kBigFiles]) || review.frame().picture.isNull())
            state.SkipWithError("a frame could not be shown");
    state.SetLabel(state.range(0) ? "per frame" : "linked");
    DisplayStretch::setMode(StretchMode::Linked);
}

void BM_ShowNextImage_Fits16_26MP(benchmark::State& state) { showCold(state, greyFrames()); }
void BM_ShowNextImage_Fits16Bayer_26MP(benchmark::State& state) { showCold(state, mosaicFrames()); }

void BM_ShowNextImage_Fits16_26MP_Ahead(benchmark::State& state)
{
    const BigFrames& frames = greyFrames();
    setDefaults(programOptions());
    programOptions().SlidePosition = 1;
    programOptions().SlideLoop = true;
    desktopOptions().ShowThumbnails = false;
    DisplayStretch::setMode(StretchMode::Linked);
    ReviewController review;
    auto diapo = std::make_unique<TFormDiapo>(review);
    diapo->resize(1024, 768);
    diapo->show();
    review.setDisplaySize(diapo->size());
    review.document().appendFiles(frames.paths);
    review.Recount();
    review.Debut();
    // The user looks at the first frame for a while too: every timed step shows a frame decoded ahead.
    review.waitForDecodeAhead();
    for (auto _ : state) {
        review.Avant();
        if (review.frame().picture.isNull())
            state.SkipWithError("a frame could not be shown");
        state.PauseTiming();
        review.waitForDecodeAhead();
        state.ResumeTiming();
    }
}

// The peer: astropy reads each file and numpy applies the same stretch (median and MAD of a
// sample, shadows clipped, midtones to a quarter), without scaling to a window.
const char* const kPeer = R"PY(
import sys, time, numpy as np
from astropy.io import fits
paths = sys.argv[1:]
def stretch(d):
    s = d.ravel()[::max(1, d.size // 250000)].astype(np.float64)
    med = np.median(s); mad = np.median(np.abs(s - med))
    black = max(float(s.min()), med - 2.8 * 1.4826 * mad); white = 65535.0
    x0 = (med - black) / (white - black); T = 0.25
    m = (T - 1) * x0 / ((2 * T - 1) * x0 - T)
    x = np.clip((np.arange(65536) - black) / (white - black), 0, 1)
    lut = np.round(np.clip((m - 1) * x / ((2 * m - 1) * x - m), 0, 1) * 255).astype(np.uint8)
    return lut[d]
for p in paths: stretch(fits.getdata(p))  # warm up: imports and page cache
n = 0; t = time.perf_counter()
for r in range(3):
    for p in paths: stretch(fits.getdata(p)); n += 1
print((time.perf_counter() - t) / n * 1000)
)PY";

void BM_Peer_AstropyStretch_Fits16_26MP(benchmark::State& state)
{
    const BigFrames& frames = greyFrames();
    for (auto _ : state) {
        QProcess p;
        p.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), QString::fromUtf8(kPeer)} + frames.paths);
        if (!p.waitForFinished(300000) || p.exitCode() != 0) {
            state.SkipWithError("python3 with astropy did not run");
            return;
        }
        state.SetIterationTime(p.readAllStandardOutput().trimmed().toDouble() / 1000);
    }
}

constexpr int kSmall = 2000;

void BM_Sharpness_Fits16_640x480_2000(benchmark::State& state)
{
    static QTemporaryDir dir;
    static QStringList paths;
    if (paths.isEmpty()) {
        std::vector<QString> distinct;
        for (int i = 0; i < 8; ++i) {
            PlanetFrame f;
            f.width = 640;
            f.height = 480;
            f.centre = QPointF(320, 240);
            f.radius = 150;
            f.blurSigma = 0.5 + 0.25 * i;
            f.seed = unsigned(i);
            const QImage planet = planetFrame(f);
            distinct.push_back(dir.filePath(QStringLiteral("d%1.fits").arg(i)));
            writeFits16(distinct.back(), 640, 480, 1, nullptr, &planet);
        }
        for (int i = 0; i < kSmall; ++i) {
            paths << dir.filePath(QStringLiteral("f%1.fits").arg(i, 4, 10, QLatin1Char('0')));
            QFile::copy(distinct[size_t(i) % distinct.size()], paths.last());
        }
    }
    ReviewController review;
    review.document().appendFiles(paths);
    review.Recount();
    for (auto _ : state) {
        SharpnessCommands(review).Mesurer();
        if (review.sharpness().measuredCount() != kSmall)
            state.SkipWithError("not every frame was measured");
    }
    state.SetItemsProcessed(state.iterations() * kSmall);
}

}  // namespace

BENCHMARK(BM_ShowNextImage_Fits16_26MP)->Arg(0)->Arg(1)->Iterations(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowNextImage_Fits16_26MP_Ahead)->Iterations(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowNextImage_Fits16Bayer_26MP)->Arg(0)->Iterations(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Peer_AstropyStretch_Fits16_26MP)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sharpness_Fits16_640x480_2000)->UseRealTime()->Iterations(3)->Unit(benchmark::kMillisecond);
