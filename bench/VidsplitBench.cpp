// The companion extractor: 1,000 mono 640×480 frames of a SER video to BMP files, by our extractor
// (in this process, and as the vidsplit program) and by the ffmpeg tool on the same file, in the
// same run. Both write mono frames as 8-bit BMP; BM_FfmpegSerToBmp24 has ffmpeg write 24-bit frames,
// three times the bytes, for comparison with earlier runs.
#include "video/SerFile.h"
#include "vidsplit/Extraction.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <random>
#include <stdexcept>
#include <unistd.h>

namespace {

constexpr int kWidth = 640, kHeight = 480, kFrames = 1000;

struct SerVideo {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("capture.ser"));
    SerVideo()
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
        // A planet-like disc with noise, shifting a little from frame to frame.
        std::mt19937 rng(7);
        QByteArray frame(kWidth * kHeight, '\0');
        for (int n = 0; n < kFrames; ++n) {
            const int cx = 320 + int(rng() % 9) - 4, cy = 240 + int(rng() % 9) - 4;
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x) {
                    const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                    const int v = (d2 < 150 * 150 ? 180 : 12) + int(rng() % 16);
                    frame[y * kWidth + x] = char(v);
                }
            f.write(frame);
        }
        f.flush();
        ::fsync(f.handle());  // so that writing it back does not slow down the first benchmark
    }
};

const SerVideo& video()
{
    static const SerVideo v;
    return v;
}

void report(benchmark::State& state)
{
    state.counters["frames/s"] = benchmark::Counter(double(kFrames) * double(state.iterations()), benchmark::Counter::kIsRate);
}

// A fresh output directory per iteration, removed (and the disk caught up) outside the timing.
template <class Run>
void eachIntoFreshDirectory(benchmark::State& state, Run run)
{
    const QString path = video().path;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir out;
        state.ResumeTiming();
        if (!run(path, out.path()))
            state.SkipWithError("conversion failed");
        state.PauseTiming();
        out.remove();
        ::sync();  // every run starts with no earlier frames still going to disk
        state.ResumeTiming();
    }
    report(state);
}

bool runTool(const QString& exe, const QStringList& args)
{
    QProcess p;
    p.start(exe, args);
    return p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void BM_SerToBmp_640x480_1000(benchmark::State& state)
{
    eachIntoFreshDirectory(state, [](const QString& ser, const QString& out) {
        return Extraction({ser, out}).run().written == kFrames;
    });
}
BENCHMARK(BM_SerToBmp_640x480_1000)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_VidsplitProgramSerToBmp(benchmark::State& state)
{
    eachIntoFreshDirectory(state, [](const QString& ser, const QString& out) {
        return runTool(QStringLiteral(VIDSPLIT_EXE), {ser, QStringLiteral("--out"), out});
    });
}
BENCHMARK(BM_VidsplitProgramSerToBmp)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

void runFfmpeg(benchmark::State& state, const QStringList& extra)
{
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty()) {
        state.SkipWithError("ffmpeg not installed");
        return;
    }
    eachIntoFreshDirectory(state, [&](const QString& ser, const QString& out) {
        return runTool(ffmpeg, QStringList{"-loglevel", "error", "-i", ser} + extra
                                   + QStringList{QDir(out).filePath(QStringLiteral("%05d.bmp"))});
    });
}

void BM_FfmpegSerToBmp(benchmark::State& state) { runFfmpeg(state, {}); }
BENCHMARK(BM_FfmpegSerToBmp)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_FfmpegSerToBmp24(benchmark::State& state) { runFfmpeg(state, {"-pix_fmt", "bgr24"}); }
BENCHMARK(BM_FfmpegSerToBmp24)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
