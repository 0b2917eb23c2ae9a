// Whole-list operations on 100,000 entries, through the list window's menu handlers with the
// window shown (offscreen) and its dialogs answered by a script.
#include "controller/ReviewController.h"
#include "app/Windows.h"
#include "list/ListFile.h"
#include "list/ListModel.h"
#include "list/Uliste.h"
#include "settings/Options.h"

#include "ScriptedPrompts.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kEntries = 100000;

std::vector<ListEntry> sampleEntries(int count, int markEvery = 0)
{
    std::vector<ListEntry> v;
    v.reserve(size_t(count));
    const QString dir = QStringLiteral("/home/astro/nuit du 12/jupiter/");
    for (int i = 0; i < count; ++i)
        v.push_back({markEvery && i % markEvery == 0 ? QStringLiteral("*") : ListModel::blank(),
                     ListModel::formatNumber(i), dir, QStringLiteral("jupiter_%1.bmp").arg(i, 6, 10, QChar('0')),
                     QString::number(i % 3), i % 7 == 0 ? QStringLiteral("4") : ListModel::blank(), ListModel::blank()});
    return v;
}

// A shown list window with its own prompts and a 100k list file beside it.
struct Bench {
    QTemporaryDir tmp;
    ScriptedPrompts sp;
    ReviewController review;
    std::unique_ptr<TFormListe> w;
    QString listPath;

    Bench()
    {
        setDefaults(programOptions());
        appWindows() = AppWindows{};
        setPrompts(&sp);
        w = std::make_unique<TFormListe>(review);
        w->show();
        QApplication::processEvents();
        listPath = tmp.filePath("cent-mille.lst");
        writeListFile(listPath, sampleEntries(kEntries));
    }
    ~Bench() { setPrompts(nullptr); }

    void load(int markEvery = 0)
    {
        w->ClearList();
        w->model().append(sampleEntries(kEntries, markEvery));
        w->Recount();
        QApplication::processEvents();
    }
};

void BM_ListOpen100k(benchmark::State& state)
{
    Bench b;
    for (auto _ : state) {
        b.sp.answerOpen({b.listPath});
        b.w->Ouvrir1Click();
        QApplication::processEvents();  // the view lays out and paints the new list
    }
    if (b.w->model().entryCount() != kEntries)
        state.SkipWithError("list not read whole");
}
BENCHMARK(BM_ListOpen100k)->Unit(benchmark::kMillisecond);

void BM_ListSave100k(benchmark::State& state)
{
    Bench b;
    b.load();
    const QString out = b.tmp.filePath("copie.lst");
    for (auto _ : state) {
        b.sp.answerSave(out);
        b.w->Enregistrersous1Click();
    }
    if (readListFile(out).size() != size_t(kEntries))
        state.SkipWithError("list not written whole");
}
BENCHMARK(BM_ListSave100k)->Unit(benchmark::kMillisecond);

void BM_DeleteMarked100k(benchmark::State& state)
{
    Bench b;
    for (auto _ : state) {
        state.PauseTiming();
        b.load(10);  // one entry in ten marked
        state.ResumeTiming();
        b.w->Effacer1Click();
        QApplication::processEvents();
    }
    if (b.w->model().entryCount() != kEntries - kEntries / 10)
        state.SkipWithError("wrong entries removed");
}
BENCHMARK(BM_DeleteMarked100k)->Unit(benchmark::kMillisecond);

void BM_Renumber100k(benchmark::State& state)
{
    Bench b;
    b.load();
    for (auto _ : state) {
        b.w->Renumeroter1Click();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_Renumber100k)->Unit(benchmark::kMillisecond);

}  // namespace
