// The sharpness measure: one 640×480 frame in memory, and "Mesurer la Netteté" over 2,000 8-bit BMP
// frames of 640×480 on disk end to end (decode included, on the worker threads, through the review
// as the menu runs it), against decoding the same files alone on the same workers in the same run.
#include "PlanetFrames.h"
#include "controller/ReviewController.h"
#include "controller/SharpnessCommands.h"
#include "platform/Picture.h"
#include "review/Sharpness.h"
#include "review/SharpnessRun.h"

#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>

#include <ctime>
#include <stdexcept>

namespace {

constexpr int kFrames = 2000;

QImage frame640(int i)
{
    PlanetFrame f;
    f.width = 640;
    f.height = 480;
    f.centre = QPointF(320, 240);
    f.radius = 150;
    f.blurSigma = 0.5 + 0.25 * (i % 11);
    f.seed = unsigned(i);
    return planetFrame(f).convertToFormat(QImage::Format_Indexed8);
}

// 2,000 files over a few distinct frames: the content barely matters, the bytes read do.
struct Frames {
    QTemporaryDir dir;
    QStringList paths;
    Frames()
    {
        std::vector<QImage> distinct;
        for (int i = 0; i < 8; ++i)
            distinct.push_back(frame640(i));
        for (int i = 0; i < kFrames; ++i) {
            const QString path = dir.filePath(QStringLiteral("frame%1.bmp").arg(i, 4, 10, QLatin1Char('0')));
            if (!distinct[size_t(i) % distinct.size()].save(path, "BMP"))
                throw std::runtime_error("cannot write the benchmark frames");
            paths << path;
        }
        const PictureResult check = loadPicture(paths.first());
        if (!check.ok() || check.image.format() != QImage::Format_Indexed8)
            throw std::runtime_error("the benchmark frames are not 8-bit");
    }
};

const Frames& frames()
{
    static const Frames f;
    return f;
}

// The processor time of the whole process (every thread), in µs: on a machine shared with other
// work, the wall time of a run on worker threads says little, this says what the run cost.
double processMicros()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
}

void reportCost(benchmark::State& state, double cpuMicros)
{
    state.SetItemsProcessed(state.iterations() * kFrames);
    state.counters["cpu_us_per_frame"] = cpuMicros / double(state.iterations() * kFrames);
    state.counters["threads"] = QThread::idealThreadCount();
}

void BM_SharpnessMeasureOnly_640x480(benchmark::State& state)
{
    const QImage frame = frame640(3);
    for (auto _ : state) {
        const SharpnessMeasure m = measureSharpness(frame);
        benchmark::DoNotOptimize(m.value);
    }
}
BENCHMARK(BM_SharpnessMeasureOnly_640x480)->Unit(benchmark::kMicrosecond);

void BM_Sharpness_640x480_2000(benchmark::State& state)
{
    const QStringList& paths = frames().paths;
    ReviewController review;
    review.document().appendFiles(paths);
    review.Recount();
    const double cpu0 = processMicros();
    for (auto _ : state) {
        SharpnessCommands(review).Mesurer();
        if (review.sharpness().measuredCount() != kFrames)
            state.SkipWithError("not every frame was measured");
    }
    reportCost(state, processMicros() - cpu0);
}
BENCHMARK(BM_Sharpness_640x480_2000)->UseRealTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// The same files decoded alone by the same workers: what the measure costs beyond reading them.
void BM_SharpnessDecodeOnly_640x480_2000(benchmark::State& state)
{
    const QStringList& paths = frames().paths;
    const double cpu0 = processMicros();
    for (auto _ : state) {
        SharpnessRun run(paths, [](const QString& path) {
            const PictureResult r = loadPicture(path);
            return r.ok() ? SharpnessMeasure{double(r.image.width()), 0} : SharpnessMeasure{0, SharpnessUnreadable};
        });
        const auto results = run.results();
        if (!results.back() || results.back()->flags != 0)
            state.SkipWithError("decode failed");
    }
    reportCost(state, processMicros() - cpu0);
}
BENCHMARK(BM_SharpnessDecodeOnly_640x480_2000)->UseRealTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
