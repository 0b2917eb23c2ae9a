// Frames of a 10,000-frame 640×480 8-bit SER read in place as the program reads a list's frame
// entries (in order, by one and by two threads), and 2,000 of them written into a new SER as
// "Enregistrer les Images en SER..." does, beside dd writing the same bytes with an fsync: both
// figures from the same run, on the same disk; and the review of that capture through the
// commands: adding it to a list, measuring its sharpness, and the whole cull.
#include "ScriptedPrompts.h"
#include "controller/ListCommands.h"
#include "controller/ReviewController.h"
#include "controller/SharpnessCommands.h"
#include "controller/VideoCommands.h"
#include "video/SerFile.h"
#include "video/SerWriter.h"
#include "video/VideoFrames.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <stdexcept>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kWidth = 640, kHeight = 480, kFrames = 10000, kKept = 2000;
constexpr qint64 kFrameBytes = qint64(kWidth) * kHeight;

struct BigSer {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("capture.ser"));
    BigSer()
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the benchmark video");
        SerHeader h;
        h.width = kWidth;
        h.height = kHeight;
        h.pixelDepth = 8;
        h.frameCount = kFrames;
        QByteArray header(kSerHeaderSize, '\0');
        formatSerHeader(h, reinterpret_cast<uint8_t*>(header.data()));
        f.write(header);
        // A few noisy planet-like frames in turn, each marked with its number.
        std::mt19937 rng(7);
        std::vector<QByteArray> looks(8, QByteArray(kFrameBytes, '\0'));
        for (size_t k = 0; k < looks.size(); ++k)
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x) {
                    const int d2 = (x - 320 - int(k)) * (x - 320 - int(k)) + (y - 240) * (y - 240);
                    looks[k][y * kWidth + x] = char((d2 < 150 * 150 ? 180 : 12) + int(rng() % 16));
                }
        for (int n = 0; n < kFrames; ++n) {
            QByteArray& frame = looks[size_t(n) % looks.size()];
            std::memcpy(frame.data(), &n, sizeof n);
            f.write(frame);
        }
        QByteArray trailer(8 * kFrames, '\0');
        f.write(trailer);
        f.flush();
        ::fsync(f.handle());  // so that writing it back does not slow down the first benchmark
    }
};

const BigSer& video()
{
    static const BigSer v;
    return v;
}

// Frames first + k * step in order, as one worker of the measure reads a list's share.
bool readEvery(int first, int step)
{
    LinearImage img;
    QString error;
    for (int n = first; n <= kFrames; n += step) {
        if (!videoFrames().read(video().path, n, img, error))
            return false;
        benchmark::DoNotOptimize(img.u16.data());
    }
    return true;
}

void BM_Ser_ReadInOrder_640x480_10k(benchmark::State& state)
{
    video();
    for (auto _ : state)
        if (!readEvery(1, 1))
            state.SkipWithError("read failed");
    state.counters["frames/s"] = benchmark::Counter(kFrames, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Ser_ReadInOrder_640x480_10k)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same frames shared by two threads, as the measure's two workers read them.
void BM_Ser_ReadInOrder_640x480_10k_TwoThreads(benchmark::State& state)
{
    video();
    for (auto _ : state) {
        bool ok = true;
        std::thread other([&ok] { ok = readEvery(2, 2); });
        const bool mine = readEvery(1, 2);
        other.join();
        if (!ok || !mine)
            state.SkipWithError("read failed");
    }
    state.counters["frames/s"] = benchmark::Counter(kFrames, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Ser_ReadInOrder_640x480_10k_TwoThreads)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

// The written file's size: header, frames, trailer.
constexpr qint64 kKeptBytes = 178 + kKept * kFrameBytes + 8 * kKept;

// Each iteration into a fresh directory beside the video, removed (and the disk caught up) outside
// the timing.
template <class Run>
void eachIntoFreshFile(benchmark::State& state, Run run)
{
    video();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir out(video().dir.filePath(QStringLiteral("out-XXXXXX")));
        ::sync();
        state.ResumeTiming();
        if (!run(out.filePath(QStringLiteral("kept.ser"))))
            state.SkipWithError("write failed");
        state.PauseTiming();
        out.remove();
        ::sync();
        state.ResumeTiming();
    }
    state.counters["MB/s"] = benchmark::Counter(double(kKeptBytes) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_WriteKeptSer_2000(benchmark::State& state)
{
    std::vector<SerFrameSource> kept;
    for (int n = 1; n <= kFrames; n += kFrames / kKept)
        kept.push_back({video().path, n});
    eachIntoFreshFile(state, [&kept](const QString& out) {
        return writeSerFile(out, captureOrder(kept), {}).frames == kKept && QFile(out).size() == kKeptBytes;
    });
}
BENCHMARK(BM_WriteKeptSer_2000)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

// The peer: dd copying as many bytes of the (cached) video, synced to disk before it ends.
void BM_Dd_SameBytes_Fsync(benchmark::State& state)
{
    const QString dd = QStandardPaths::findExecutable(QStringLiteral("dd"));
    eachIntoFreshFile(state, [&dd](const QString& out) {
        QProcess p;
        p.start(dd, {QStringLiteral("if=") + video().path, QStringLiteral("of=") + out, QStringLiteral("bs=1M"),
                     QStringLiteral("count=%1").arg(kKeptBytes), QStringLiteral("iflag=count_bytes"),
                     QStringLiteral("conv=fsync"), QStringLiteral("status=none")});
        return p.waitForFinished(600000) && p.exitCode() == 0 && QFile(out).size() == kKeptBytes;
    });
}
BENCHMARK(BM_Dd_SameBytes_Fsync)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

// "Ajouter à la Liste" given the video: one entry per frame.
void BM_AddSer10k(benchmark::State& state)
{
    video();
    for (auto _ : state) {
        ReviewController review;
        ListCommands(review).AppendFiles({video().path});
        if (review.document().entryCount() != kFrames)
            state.SkipWithError("not every frame was listed");
    }
}
BENCHMARK(BM_AddSer10k)->Iterations(5)->Unit(benchmark::kMillisecond);

// "Mesurer la Netteté" over the 10,000 frame entries, read from the video on the workers (compare
// BM_Sharpness_640x480_2000, the same measure over BMP files, in the same run).
void BM_Sharpness_Ser_640x480_10k(benchmark::State& state)
{
    ReviewController review;
    ListCommands(review).AppendFiles({video().path});
    review.Recount();
    for (auto _ : state) {
        SharpnessCommands(review).Mesurer();
        if (review.sharpness().measuredCount() != kFrames)
            state.SkipWithError("not every frame was measured");
    }
    state.counters["frames/s"] = benchmark::Counter(kFrames, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Sharpness_Ser_640x480_10k)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

// The whole cull as the menus run it: add the video, measure, keep the sharpest 20 % (score 1, the
// others 0), write the kept frames into a new SER.
void BM_CullSer10k(benchmark::State& state)
{
    ScriptedPrompts prompts;
    setPrompts(&prompts);
    video();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir out(video().dir.filePath(QStringLiteral("cull-XXXXXX")));
        ::sync();
        prompts.answerSave(out.filePath(QStringLiteral("kept.ser")));
        prompts.answerInput(QStringLiteral("1"));
        state.ResumeTiming();
        ReviewController review;
        ListCommands(review).AppendFiles({video().path});
        review.Recount();
        SharpnessCommands(review).Mesurer();
        SharpnessCommands(review).Noter([] { return SharpnessScoring{{20, true}, 0, 1}; });
        VideoCommands(review).EnregistrerSer();
        if (QFile(out.filePath(QStringLiteral("kept.ser"))).size() != kKeptBytes)
            state.SkipWithError("the kept frames were not written");
        state.PauseTiming();
        out.remove();
        ::sync();
        state.ResumeTiming();
    }
    setPrompts(nullptr);
}
BENCHMARK(BM_CullSer10k)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
