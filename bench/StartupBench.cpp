// Start-up to all windows shown: settings loaded, the command window with its four view windows
// placed and shown, every other window created.
#include "app/Ucommande.h"
#include "app/Ustartup.h"
#include "app/Windows.h"
#include "list/Uliste.h"
#include "review/UDiapo.h"
#include "review/Uvignette.h"
#include "review/Uzone.h"
#include "settings/OptionsFile.h"

#include <QCoreApplication>
#include <QFile>
#include <benchmark/benchmark.h>

static void BM_StartupAllWindowsShown(benchmark::State& state)
{
    QFile::remove(optionsFilePath());
    for (auto _ : state) {
        TFormCommande* commande = startProgram();
        QCoreApplication::processEvents();
        const AppWindows& w = appWindows();
        const bool shown = commande->isVisible() && w.Liste->isVisible() && w.Diapo->isVisible()
                           && w.Vignette->isVisible() && w.Zone->isVisible();
        state.PauseTiming();
        if (!shown)
            state.SkipWithError("a window is not shown");
        stopProgram();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartupAllWindowsShown)->Unit(benchmark::kMillisecond);
