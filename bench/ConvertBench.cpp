// Conversions, one image per iteration with files on disk, beside the tools users would otherwise
// run on the same files: libjpeg-turbo's cjpeg and djpeg, and ImageMagick's convert for FITS.
// The tools are run as processes; BM_ToolStart_cjpeg gives the cost of starting one, to subtract.
#include "TestFiles.h"
#include "convert/Converters.h"
#include "platform/JpegCodec.h"
#include "settings/Options.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <stdexcept>

namespace {

constexpr int kQuality = 90;

struct Files {
    QTemporaryDir dir;
    QString bmp1080 = dir.filePath(QStringLiteral("frame1080.bmp"));
    QString jpeg1080 = dir.filePath(QStringLiteral("frame1080.jpg"));
    QString bmp640 = dir.filePath(QStringLiteral("frame640.bmp"));
    QString bmpTiny = dir.filePath(QStringLiteral("tiny.bmp"));
    Files()
    {
        const QImage frame = noisyFrame(1920, 1080);
        if (!frame.save(bmp1080, "BMP") || !encodeJpeg(frame, kQuality, jpeg1080).ok
            || !noisyFrame(640, 480).save(bmp640, "BMP") || !noisyFrame(8, 8).save(bmpTiny, "BMP"))
            throw std::runtime_error("cannot write the benchmark pictures");
    }
    QString out(const char* name) const { return dir.filePath(QLatin1String(name)); }
};

const Files& files()
{
    static const Files f;
    return f;
}

ProgramOptions benchOptions()
{
    ProgramOptions o;
    setDefaults(o);
    o.JpegQuality = kQuality;
    o.FitBytesPerPixel = 2;
    o.FitChannels = 15;
    o.ShowConverted = false;
    return o;
}

void runConverter(benchmark::State& state, Converter convert, const QString& source, const QString& base)
{
    const ProgramOptions o = benchOptions();
    for (auto _ : state) {
        try {
            if (!convert(o, source, base))
                state.SkipWithError("converter refused");
        } catch (...) {
            state.SkipWithError("converter failed");
            break;
        }
    }
}

void runTool(benchmark::State& state, const char* name, const QStringList& args)
{
    const QString tool = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (tool.isEmpty()) {
        state.SkipWithError("tool not installed");
        return;
    }
    for (auto _ : state) {
        QProcess p;
        p.start(tool, args);
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            state.SkipWithError("tool failed");
            break;
        }
    }
}

void BM_ConvertBmpToJpeg_1080p(benchmark::State& state)
{
    runConverter(state, ConvertBmpToJpeg, files().bmp1080, files().out("ours"));
}
BENCHMARK(BM_ConvertBmpToJpeg_1080p)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_Cjpeg_1080p(benchmark::State& state)
{
    runTool(state, "cjpeg", {QStringLiteral("-quality"), QString::number(kQuality), QStringLiteral("-outfile"),
                             files().out("cjpeg.jpg"), files().bmp1080});
}
BENCHMARK(BM_Cjpeg_1080p)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_ConvertJpegToBmp_1080p(benchmark::State& state)
{
    runConverter(state, ConvertJpegToBmp, files().jpeg1080, files().out("ours"));
}
BENCHMARK(BM_ConvertJpegToBmp_1080p)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_DjpegBmp_1080p(benchmark::State& state)
{
    runTool(state, "djpeg", {QStringLiteral("-bmp"), QStringLiteral("-outfile"), files().out("djpeg.bmp"), files().jpeg1080});
}
BENCHMARK(BM_DjpegBmp_1080p)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_ConvertBmpToFits_640x480_4ch16(benchmark::State& state)
{
    runConverter(state, ConvertBmpToFits, files().bmp640, files().out("ours"));
}
BENCHMARK(BM_ConvertBmpToFits_640x480_4ch16)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_ImageMagickSeparate_640x480(benchmark::State& state)
{
    runTool(state, "convert", {files().bmp640, QStringLiteral("-separate"), files().out("magick_%d.fits")});
}
BENCHMARK(BM_ImageMagickSeparate_640x480)->UseRealTime()->Unit(benchmark::kMillisecond);

// Starting a tool on an 8 × 8 picture: what the process costs before any real work.
void BM_ToolStart_cjpeg(benchmark::State& state)
{
    runTool(state, "cjpeg", {QStringLiteral("-outfile"), files().out("tiny.jpg"), files().bmpTiny});
}
BENCHMARK(BM_ToolStart_cjpeg)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
