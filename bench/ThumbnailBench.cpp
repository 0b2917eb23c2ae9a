// Building a thumbnail page: 100 distinct 1920 × 1080 JPEG files into 75 × 75 cells, with the
// DCT-scaled decode and, for comparison, with full-size decoding.
#include "controller/ReviewController.h"
#include "platform/Prompts.h"
#include "review/ThumbnailPicture.h"
#include "review/UPageGrid.h"
#include "review/Uvignette.h"
#include "settings/Options.h"
#include "ScriptedPrompts.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// Written once for every benchmark of this file; removed at exit.
const QStringList& pageFiles()
{
    static QTemporaryDir dir;
    static const QStringList paths = [] {
        QStringList out;
        for (int i = 0; i < 100; ++i) {
            const QString p = dir.filePath(QStringLiteral("frame%1.jpg").arg(i, 3, 10, QChar('0')));
            writeTestImage(p, 1920, 1080, QColor::fromHsv((i * 37) % 360, 200, 220));
            out << p;
        }
        return out;
    }();
    return paths;
}

void buildPage(benchmark::State& state, bool dctScaling)
{
    const QStringList& paths = pageFiles();
    setDesktopDefaults(desktopOptions());
    ScriptedPrompts sp;
    setPrompts(&sp);
    setThumbnailDctScaling(dctScaling);
    ReviewController review;
    TFormVignette w(review);
    w.resize(800, 600);
    w.show();
    for (auto _ : state) {
        w.BuildThumbnailPage(paths, 0, 100);
        if (w.Grid()->CellCount() != 100 || !sp.messages().isEmpty())
            state.SkipWithError("page not built");
    }
    setThumbnailDctScaling(true);
    setPrompts(nullptr);
}

void BM_ThumbnailPage100_Jpeg1080p(benchmark::State& state) { buildPage(state, true); }
void BM_ThumbnailPage100_Jpeg1080p_FullDecode(benchmark::State& state) { buildPage(state, false); }

BENCHMARK(BM_ThumbnailPage100_Jpeg1080p)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_ThumbnailPage100_Jpeg1080p_FullDecode)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace
