// The file operations of the batch passes against the shell's own tools, and the cost of a safe
// write (temporary file, syncs, rename) against a plain one.
#include "platform/SafeWrite.h"
#include "platform/ShellFileOp.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kFiles = 1000;
constexpr int kZones = 10;

// kFiles small files in one folder and kZones empty folders beside them (1,000 files: the mv
// loop costs one process a file).
bool makeFiles(const QTemporaryDir& tmp)
{
    const QByteArray bytes(2048, 'x');
    for (int i = 0; i < kFiles; ++i) {
        QFile f(tmp.filePath(QStringLiteral("f%1.bmp").arg(i)));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return false;
    }
    for (int z = 0; z < kZones; ++z)
        if (!QDir().mkdir(tmp.filePath(QStringLiteral("Zone%1").arg(z))))
            return false;
    return true;
}

// ShellMoveFile of 1,000 files into 10 folders of the same file system.
void BM_ShellMoveFile1k(benchmark::State& state)
{
    SystemFileOp ops;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir tmp;
        if (!makeFiles(tmp)) {
            state.SkipWithError("cannot make the files");
            return;
        }
        state.ResumeTiming();
        for (int i = 0; i < kFiles; ++i) {
            const QString name = QStringLiteral("f%1.bmp").arg(i);
            if (!ops.ShellMoveFile(tmp.filePath(name), tmp.filePath(QStringLiteral("Zone%1/").arg(i % kZones) + name)).ok)
                state.SkipWithError("move failed");
        }
    }
}
BENCHMARK(BM_ShellMoveFile1k)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The same moves by `mv` in a shell loop, one process a file.
void BM_MvShellLoop1k(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir tmp;
        if (!makeFiles(tmp)) {
            state.SkipWithError("cannot make the files");
            return;
        }
        state.ResumeTiming();
        QProcess sh;
        sh.setWorkingDirectory(tmp.path());
        sh.start(QStringLiteral("sh"), {QStringLiteral("-c"),
                                        QStringLiteral("i=0; while [ $i -lt %1 ]; do mv -n f$i.bmp Zone$((i % %2))/; "
                                                       "i=$((i+1)); done").arg(kFiles).arg(kZones)});
        if (!sh.waitForFinished(600000) || sh.exitCode() != 0)
            state.SkipWithError("mv loop failed");
    }
}
BENCHMARK(BM_MvShellLoop1k)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// One 200 KB file (a converted frame) replaced safely (1) or written plainly in place (0).
void BM_SafeWrite200k(benchmark::State& state)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath("frame.jpg");
    const QByteArray bytes(200 * 1024, 'j');
    for (auto _ : state) {
        if (state.range(0) != 0) {
            if (writeFileSafely(path, bytes) != 0)
                state.SkipWithError("safe write failed");
        } else {
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
                state.SkipWithError("plain write failed");
        }
    }
}
BENCHMARK(BM_SafeWrite200k)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
