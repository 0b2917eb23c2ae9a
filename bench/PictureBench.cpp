// Picture decoding: a 1920×1080 JPEG at full size and DCT-scaled, a 640×480 BMP, and libjpeg-turbo's
// own djpeg on the same JPEG for comparison (run as a process; BM_DjpegTiny gives the cost of
// starting it, to subtract).
#include "TestFiles.h"
#include "platform/JpegCodec.h"
#include "platform/Picture.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <stdexcept>

namespace {

struct Files {
    QTemporaryDir dir;
    QString jpeg1080 = dir.filePath(QStringLiteral("frame.jpg"));
    QString jpegTiny = dir.filePath(QStringLiteral("tiny.jpg"));
    QString bmp640 = dir.filePath(QStringLiteral("frame.bmp"));
    Files()
    {
        if (!encodeJpeg(noisyFrame(1920, 1080), 90, jpeg1080).ok || !encodeJpeg(noisyFrame(8, 8), 90, jpegTiny).ok
            || !noisyFrame(640, 480).save(bmp640, "BMP"))
            throw std::runtime_error("cannot write the benchmark pictures");
    }
};

const Files& files()
{
    static const Files f;
    return f;
}

void BM_DecodeJpeg1080p(benchmark::State& state)
{
    const int scale = int(state.range(0));
    const QString path = files().jpeg1080;
    for (auto _ : state) {
        PictureResult r = loadPicture(path, scale);
        if (!r.ok())
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(r.image.constBits());
    }
}
BENCHMARK(BM_DecodeJpeg1080p)->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);

void BM_DecodeBmp640x480(benchmark::State& state)
{
    const QString path = files().bmp640;
    for (auto _ : state) {
        PictureResult r = loadPicture(path);
        if (!r.ok())
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(r.image.constBits());
    }
}
BENCHMARK(BM_DecodeBmp640x480)->Unit(benchmark::kMillisecond);

void BM_JpegHeader1080p(benchmark::State& state)
{
    const QString path = files().jpeg1080;
    for (auto _ : state) {
        const JpegHeader h = readJpegHeaderFromFile(path);
        if (!h.ok())
            state.SkipWithError("header failed");
        benchmark::DoNotOptimize(h.size);
    }
}
BENCHMARK(BM_JpegHeader1080p)->Unit(benchmark::kMicrosecond);

void BM_EncodeJpeg1080p(benchmark::State& state)
{
    const QImage frame = noisyFrame(1920, 1080);
    QByteArray out;
    for (auto _ : state) {
        if (!encodeJpegToBytes(frame, int(state.range(0)), out).ok)
            state.SkipWithError("encode failed");
        benchmark::DoNotOptimize(out.constData());
    }
}
BENCHMARK(BM_EncodeJpeg1080p)->Arg(90)->Unit(benchmark::kMillisecond);

void runDjpeg(benchmark::State& state, const QString& path)
{
    const QString djpeg = QStandardPaths::findExecutable(QStringLiteral("djpeg"));
    if (djpeg.isEmpty()) {
        state.SkipWithError("djpeg not installed (libjpeg-turbo-progs)");
        return;
    }
    for (auto _ : state) {
        QProcess p;
        p.start(djpeg, {QStringLiteral("-outfile"), QStringLiteral("/dev/null"), path});
        if (!p.waitForFinished(10000) || p.exitCode() != 0)
            state.SkipWithError("djpeg failed");
    }
}

void BM_Djpeg1080p(benchmark::State& state) { runDjpeg(state, files().jpeg1080); }
BENCHMARK(BM_Djpeg1080p)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_DjpegTiny(benchmark::State& state) { runDjpeg(state, files().jpegTiny); }
BENCHMARK(BM_DjpegTiny)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
