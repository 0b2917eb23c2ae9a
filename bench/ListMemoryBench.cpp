// A list file of 1,000,000 entries of one directory opened into the shown list window, with the
// peak memory of the open: the high-water mark of the process's resident memory during the open,
// less what it held just before (counter peak_MB), and that high-water mark itself (hwm_MB).
#include "controller/ReviewController.h"
#include "app/Windows.h"
#include "list/ListModel.h"
#include "list/Uliste.h"
#include "settings/Options.h"

#include "ScriptedPrompts.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <memory>

namespace {

constexpr int kEntries = 1000000;

// The list file's bytes, written directly: building a million entries first would leave the heap
// of the bench itself swollen before the measured open.
QByteArray millionEntryFile()
{
    QByteArray out;
    out.reserve(qsizetype(kEntries) * 72 + 64);
    out += QByteArray::number(kEntries) + "\r\nVelmoran\r\npr\xE9Version : 0.56\r\n6\r\n6\r\n\r\n";
    char line[128];
    for (int i = 0; i < kEntries; ++i) {
        const int n = std::snprintf(line, sizeof line, "%04d\r\n/home/astro/nuit du 12/jupiter/\r\njupiter_%06d.bmp\r\n%d\r\n%s\r\n \r\n",
                                    i, i, i % 3, i % 7 == 0 ? "4" : " ");
        out.append(line, n);
    }
    return out;
}

// Resident memory in kB from /proc/self/status: the current size (VmRSS) or its peak (VmHWM).
qint64 statusKb(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qsizetype(std::strlen(key))).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// Resets the peak of resident memory to its current size (Linux 4.0 and later).
bool resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

void BM_ListOpen1M(benchmark::State& state)
{
    QTemporaryDir tmp;
    ScriptedPrompts sp;
    setDefaults(programOptions());
    appWindows() = AppWindows{};
    setPrompts(&sp);
    ReviewController review;
    auto w = std::make_unique<TFormListe>(review);
    w->show();
    QApplication::processEvents();
    const QString path = tmp.filePath("un-million.lst");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(millionEntryFile()) < 0) {
            state.SkipWithError("cannot write the list file");
            return;
        }
    }
    ::malloc_trim(0);

    double peakMb = 0, hwmMb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w->ClearList();
        QApplication::processEvents();
        ::malloc_trim(0);
        const qint64 before = statusKb("VmRSS:");
        const bool reset = resetPeak();
        state.ResumeTiming();

        sp.answerOpen({path});
        w->Ouvrir1Click();
        QApplication::processEvents();  // the view lays out and paints the new list

        state.PauseTiming();
        const qint64 peak = statusKb("VmHWM:");
        if (!reset || before < 0 || peak < 0) {
            state.SkipWithError("no memory figures from /proc");
            break;
        }
        peakMb = std::max(peakMb, double(peak - before) / 1024.0);
        hwmMb = std::max(hwmMb, double(peak) / 1024.0);
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = peakMb;
    state.counters["hwm_MB"] = hwmMb;
    if (w->model().entryCount() != kEntries)
        state.SkipWithError("list not read whole");
    w.reset();
    setPrompts(nullptr);
}
BENCHMARK(BM_ListOpen1M)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
