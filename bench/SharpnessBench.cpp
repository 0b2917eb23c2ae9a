// The sharpness measure alone, on a 640×480 frame in memory.
#include "PlanetFrames.h"
#include "review/Sharpness.h"

#include <benchmark/benchmark.h>

namespace {

void BM_SharpnessMeasureOnly_640x480(benchmark::State& state)
{
    PlanetFrame f;
    f.width = 640;
    f.height = 480;
    f.centre = QPointF(320, 240);
    f.radius = 150;
    const QImage frame = planetFrame(f).convertToFormat(QImage::Format_Indexed8);
    for (auto _ : state) {
        const SharpnessMeasure m = measureSharpness(frame);
        benchmark::DoNotOptimize(m.value);
    }
}
BENCHMARK(BM_SharpnessMeasureOnly_640x480)->Unit(benchmark::kMicrosecond);

}  // namespace
