// Showing the next image in the slideshow window: decode, convert and repaint, as a slideshow tick
// or a move through the list does. Each iteration shows a different file, so nothing is cached;
// the "Ahead" form moves through a list at the user's pace, so the next frame has been decoded
// ahead while the current one was on show.
#include "TestFiles.h"
#include "controller/ReviewController.h"
#include "platform/Prompts.h"
#include "review/UDiapo.h"
#include "settings/Options.h"

#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>

namespace {

constexpr int kFiles = 8;

// Frames with real detail (noise over a gradient) so the JPEG decoder has work like a real frame.
bool writeFrame(const QString& path, int width, int height, unsigned seed)
{
    const QImage img = noisyFrame(width, height, seed);
    const char* fmt = path.endsWith(QLatin1String(".jpg")) ? "JPG" : "BMP";
    return img.save(path, fmt, 90);
}

struct Frames {
    QTemporaryDir dir;
    QStringList paths;
    Frames(const char* ext, int width, int height)
    {
        for (int i = 0; i < kFiles; ++i) {
            const QString p = dir.filePath(QStringLiteral("frame%1.%2").arg(i).arg(QLatin1String(ext)));
            if (!writeFrame(p, width, height, unsigned(i + 1)))
                throw std::runtime_error("cannot write the benchmark frames");
            paths << p;
        }
    }
};

void showFrames(benchmark::State& state, const Frames& frames)
{
    setDefaults(programOptions());
    programOptions().SlidePosition = int(state.range(0));
    ReviewController review;
    auto diapo = std::make_unique<TFormDiapo>(review);
    diapo->resize(1024, 768);
    diapo->show();
    int i = 0;
    for (auto _ : state) {
        if (!review.ShowImage(frames.paths[i++ % kFiles]))
            state.SkipWithError("a frame could not be shown");
    }
    state.SetLabel(state.range(0) ? "adapted" : "centred");
}

void BM_ShowNextImage_Jpeg1080p(benchmark::State& state)
{
    static const Frames frames("jpg", 1920, 1080);
    showFrames(state, frames);
}

void BM_ShowNextImage_Bmp640x480(benchmark::State& state)
{
    static const Frames frames("bmp", 640, 480);
    showFrames(state, frames);
}

void BM_ShowNextImage_Jpeg1080p_Ahead(benchmark::State& state)
{
    static const Frames frames("jpg", 1920, 1080);
    setDefaults(programOptions());
    programOptions().SlidePosition = int(state.range(0));
    programOptions().SlideLoop = true;
    desktopOptions().ShowThumbnails = false;
    ReviewController review;
    auto diapo = std::make_unique<TFormDiapo>(review);
    diapo->resize(1024, 768);
    diapo->show();
    review.document().appendFiles(frames.paths);
    review.Recount();
    review.Debut();
    // The user looks at the first frame for a while too: every timed step shows a frame decoded ahead.
    review.waitForDecodeAhead();
    for (auto _ : state) {
        review.Avant();
        if (review.frame().picture.isNull())
            state.SkipWithError("a frame could not be shown");
        // The user looks at the frame for a while: the decode ahead has time to finish.
        state.PauseTiming();
        review.waitForDecodeAhead();
        state.ResumeTiming();
    }
    state.SetLabel(state.range(0) ? "adapted" : "centred");
}

}  // namespace

BENCHMARK(BM_ShowNextImage_Jpeg1080p_Ahead)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowNextImage_Jpeg1080p)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowNextImage_Bmp640x480)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
