// Settings file: the desktop save (three block writes, one atomic replace) and the start-up load.
#include "settings/OptionsFile.h"

#include <benchmark/benchmark.h>

namespace {

void prepare()
{
    resetLiveOptions();
    loadAllOptions();
    SaveDesktop(nullptr);
}

void BM_SettingsSaveDesktop(benchmark::State& state)
{
    prepare();
    int n = 0;
    for (auto _ : state) {
        SaveDesktop([&n](DesktopOptions& d) { d.CommandPlace.Top = ++n % 100; });
    }
}
BENCHMARK(BM_SettingsSaveDesktop)->Unit(benchmark::kMicrosecond);

void BM_SettingsLoadAll(benchmark::State& state)
{
    prepare();
    for (auto _ : state) {
        loadAllOptions();
        benchmark::DoNotOptimize(programOptions().SlideInterval);
    }
}
BENCHMARK(BM_SettingsLoadAll)->Unit(benchmark::kMicrosecond);

}  // namespace
