// The sort by zone of 10,000 listed files (journalled, so that it can be undone) against `mv` of the
// same files by a shell loop, and the undo of that sort against the sort itself.
#include "ScriptedPrompts.h"
#include "controller/ReviewController.h"
#include "batch/SortByZone.h"
#include "batch/UndoPass.h"
#include "list/ListModel.h"
#include "platform/ShellFileOp.h"
#include "settings/Options.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kSortFiles = 10000;
constexpr int kSortZones = 10;

// kSortFiles small files in one folder; their paths.
QStringList makeSortFiles(const QTemporaryDir& tmp)
{
    const QByteArray bytes(2048, 'x');
    QStringList paths;
    for (int i = 0; i < kSortFiles; ++i) {
        paths << tmp.filePath(QStringLiteral("f%1.bmp").arg(i));
        QFile f(paths.back());
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return {};
    }
    return paths;
}

// The list of the files, file i in zone i mod 10.
void listForSort(ReviewController& review, const QStringList& paths)
{
    review.document().clear();
    review.document().appendFiles(paths);
    for (int i = 0; i < paths.size(); ++i)
        review.model().setCell(ListModel::ColZone, i + 1, QString::number(i % kSortZones));
    review.Recount();
}

// sortByZone over 10,000 entries: the Zone folders made beside the files, one move per file.
void BM_SortByZone10k(benchmark::State& state)
{
    resetLiveOptions();
    setDefaults(programOptions());
    ScriptedPrompts quiet;
    ReviewController review;
    std::unique_ptr<QTemporaryDir> tmp;  // removed while the clock stands
    for (auto _ : state) {
        state.PauseTiming();
        quiet.clear();
        tmp = std::make_unique<QTemporaryDir>();
        const QStringList paths = makeSortFiles(*tmp);
        if (paths.isEmpty()) {
            state.SkipWithError("cannot make the files");
            return;
        }
        listForSort(review, paths);
        state.ResumeTiming();
        if (sortByZone(review, fileOps(), quiet, false) != kSortFiles)
            state.SkipWithError("not every file was moved");
    }
}
BENCHMARK(BM_SortByZone10k)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The undo of BM_SortByZone10k's sort: every file back to its folder, the Zone folders removed.
void BM_UndoSortByZone10k(benchmark::State& state)
{
    resetLiveOptions();
    setDefaults(programOptions());
    ScriptedPrompts quiet;
    ReviewController review;
    std::unique_ptr<QTemporaryDir> tmp;
    for (auto _ : state) {
        state.PauseTiming();
        quiet.clear();
        tmp = std::make_unique<QTemporaryDir>();
        const QStringList paths = makeSortFiles(*tmp);
        listForSort(review, paths);
        if (paths.isEmpty() || sortByZone(review, fileOps(), quiet, false) != kSortFiles) {
            state.SkipWithError("cannot sort the files");
            return;
        }
        quiet.answerConfirm(true);
        state.ResumeTiming();
        if (undoLastPass(review, fileOps(), quiet) != kSortFiles)
            state.SkipWithError("not every file was put back");
    }
}
BENCHMARK(BM_UndoSortByZone10k)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The same moves by `mv` in a shell loop, one process a file, into the same ten folders (made
// beforehand, outside the time).
void BM_MvShellLoop10k(benchmark::State& state)
{
    std::unique_ptr<QTemporaryDir> tmp;
    for (auto _ : state) {
        state.PauseTiming();
        tmp = std::make_unique<QTemporaryDir>();
        if (makeSortFiles(*tmp).isEmpty()) {
            state.SkipWithError("cannot make the files");
            return;
        }
        for (int z = 0; z < kSortZones; ++z)
            QDir().mkdir(tmp->filePath(QStringLiteral("Zone%1").arg(z)));
        state.ResumeTiming();
        QProcess sh;
        sh.setWorkingDirectory(tmp->path());
        sh.start(QStringLiteral("sh"), {QStringLiteral("-c"),
                                        QStringLiteral("i=0; while [ $i -lt %1 ]; do mv -n f$i.bmp Zone$((i % %2))/; "
                                                       "i=$((i+1)); done").arg(kSortFiles).arg(kSortZones)});
        if (!sh.waitForFinished(-1) || sh.exitCode() != 0)
            state.SkipWithError("mv loop failed");
    }
}
BENCHMARK(BM_MvShellLoop10k)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
