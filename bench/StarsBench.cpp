// The star measures of deep-sky frames in memory, and of series of 20 FITS files of them read as
// the menu's measure reads them (BM_Stars_Fits16_*): a 4 MP frame (2048 × 2048) and a 26 MP one
// (6248 × 4176, 16-bit), each on one thread and on two at once (the program measures two frames at
// a time on this machine); frames/s is the throughput. BM_StarsPeer_26MP runs the same 26 MP frame,
// written as FITS by astropy, through python3-sep (background, extraction, flux radius of every
// source) in bench/stars_peer.py, and reports its time per frame as its own.
#include "StarFields.h"
#include "controller/StarCommands.h"
#include "review/MeasureRun.h"
#include "stars/StarMetrics.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fitsio.h>

namespace {

StarFieldFrame makeFrame(int width, int height, int stars)
{
    StarFieldPlan s;
    s.width = width;
    s.height = height;
    s.stars = stars;
    s.fwhm = 3.5;
    s.beta = 3;
    s.eccentricity = 0.3;
    s.saturated = 20;
    s.hotPixels = 500;
    s.seed = 7;
    return makeStarField(s);
}

const StarFieldFrame& frame4MP()
{
    static const StarFieldFrame f = makeFrame(2048, 2048, 1500);
    return f;
}

const StarFieldFrame& frame26MP()
{
    static const StarFieldFrame f = makeFrame(6248, 4176, 6000);
    return f;
}

void measure(benchmark::State& state, const StarFieldFrame& f)
{
    StarMetrics m;
    for (auto _ : state) {
        m = measureStars(f.image);
        benchmark::DoNotOptimize(m);  // the whole: on one double, GCC's DoNotOptimize garbles it
    }
    if (m.flags != 0)
        state.SkipWithError("the frame's stars were not measured");
    state.SetItemsProcessed(state.iterations());
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    // Per frame, whatever the threads.
    state.counters["stars"] = benchmark::Counter(m.stars, benchmark::Counter::kAvgThreads);
    state.counters["fitted"] = benchmark::Counter(m.fitted, benchmark::Counter::kAvgThreads);
    state.counters["fwhm"] = benchmark::Counter(m.fwhm, benchmark::Counter::kAvgThreads);
}

void BM_Stars_4MP(benchmark::State& state) { measure(state, frame4MP()); }
BENCHMARK(BM_Stars_4MP)->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_Stars_26MP(benchmark::State& state) { measure(state, frame26MP()); }
BENCHMARK(BM_Stars_26MP)->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(3);

// A series of 20 FITS files of the frame, measured as "Mesurer les Étoiles" does: read included,
// on the worker threads (one per core); the time is per frame of the series.
void measureSeries(benchmark::State& state, const StarFieldFrame& f)
{
    QTemporaryDir dir;
    QStringList paths;
    const QString first = dir.filePath(QStringLiteral("light_00.fits"));
    fitsfile* file = nullptr;
    int status = 0;
    long naxes[2] = {f.image.width, f.image.height};
    fits_create_file(&file, ("!" + first.toLocal8Bit()).constData(), &status);
    fits_create_img(file, USHORT_IMG, 2, naxes, &status);
    fits_write_img(file, TUSHORT, 1, LONGLONG(f.image.u16.size()), const_cast<uint16_t*>(f.image.u16.data()), &status);
    fits_close_file(file, &status);
    paths << first;
    for (int i = 1; i < 20 && status == 0; ++i) {
        paths << dir.filePath(QStringLiteral("light_%1.fits").arg(i, 2, 10, QLatin1Char('0')));
        QFile::copy(first, paths.last());
    }
    StarMetrics failed;
    failed.flags = StarsUnreadable;
    for (auto _ : state) {
        MeasureRun<StarMetrics> run(paths, measureStarsOfFile, failed);
        for (const std::optional<StarMetrics>& m : run.results())
            if (!m || m->flags)
                state.SkipWithError("a frame's stars were not measured");
    }
    state.counters["ms/frame"] = benchmark::Counter(double(paths.size()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["frames/s"] = benchmark::Counter(double(paths.size()), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_Stars_Fits16_26MP(benchmark::State& state) { measureSeries(state, frame26MP()); }
BENCHMARK(BM_Stars_Fits16_26MP)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
void BM_Stars_Fits16_4MP(benchmark::State& state) { measureSeries(state, frame4MP()); }
BENCHMARK(BM_Stars_Fits16_4MP)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_StarsPeer_26MP(benchmark::State& state)
{
    const StarFieldFrame& f = frame26MP();
    QTemporaryDir dir;
    const QString raw = dir.filePath(QStringLiteral("frame.u16"));
    QFile file(raw);
    const qint64 bytes = qint64(f.image.u16.size() * sizeof(uint16_t));
    if (!file.open(QIODevice::WriteOnly) || file.write(reinterpret_cast<const char*>(f.image.u16.data()), bytes) != bytes) {
        state.SkipWithError("cannot write the frame for the peer");
        return;
    }
    file.close();
    for (auto _ : state) {
        QProcess p;
        p.start(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral(STARS_PEER_SCRIPT), QStringLiteral("--raw"), raw, QString::number(f.image.width),
                 QString::number(f.image.height), QStringLiteral("--repeat"), QStringLiteral("3")});
        if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            state.SkipWithError("python3-sep did not run (python3-sep and python3-astropy installed?)");
            return;
        }
        // "ms_per_frame N sources M" on its last line.
        const QStringList words = QString::fromUtf8(p.readAllStandardOutput()).trimmed().split(QLatin1Char('\n')).last().split(QLatin1Char(' '));
        if (words.size() < 4 || words[0] != QLatin1String("ms_per_frame")) {
            state.SkipWithError("unexpected output from the peer");
            return;
        }
        state.SetIterationTime(words[1].toDouble() / 1000);
        state.counters["sources"] = words[3].toDouble();
    }
}
BENCHMARK(BM_StarsPeer_26MP)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
