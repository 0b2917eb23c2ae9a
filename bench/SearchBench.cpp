// The directory walker on a tree of 100,000 files in 1,000 directories, mask "*.bmp", depth 10,
// and find(1) on the same tree with the same question for comparison (run as a process;
// BM_FindTiny gives the cost of starting it).
#include "search/FileSearch.h"
#include "search/trecherche.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>

namespace {

constexpr int kTopDirs = 10;
constexpr int kSubDirs = 99;       // under each top directory: 10 + 990 = 1,000 directories
constexpr int kFilesPerDir = 100;  // 100,000 files
constexpr int kBmpPerDir = 80;     // a few written ".BMP"; the rest are JPEG frames

// Made once for the whole run.
struct Tree {
    QTemporaryDir dir;
    QString root = dir.path();
    QString tiny = dir.filePath(QStringLiteral("tiny"));
    int bmps = 0;

    Tree()
    {
        QDir().mkpath(tiny);
        for (int t = 0; t < kTopDirs; ++t) {
            const QString top = root + QStringLiteral("/serie%1").arg(t);
            fill(top);
            for (int s = 0; s < kSubDirs; ++s)
                fill(top + QStringLiteral("/nuit%1").arg(s, 2, 10, QChar('0')));
        }
    }
    void fill(const QString& d)
    {
        if (!QDir().mkpath(d))
            throw std::runtime_error("cannot make the benchmark tree");
        for (int i = 0; i < kFilesPerDir; ++i) {
            const char* ext = i < kBmpPerDir ? (i % 10 == 0 ? ".BMP" : ".bmp") : ".jpg";
            const QByteArray path = QFile::encodeName(d) + "/frame_" + QByteArray::number(i).rightJustified(4, '0') + ext;
            const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
            if (fd < 0)
                throw std::runtime_error("cannot make the benchmark tree");
            ::close(fd);
            bmps += i < kBmpPerDir;
        }
    }
};

const Tree& tree()
{
    static const Tree t;
    return t;
}

void BM_Search100k(benchmark::State& state)
{
    const Tree& t = tree();
    for (auto _ : state) {
        trecherche finder;
        FileSearch walk(finder);
        QStringList lines;
        const int n = walk.run(t.root, QStringLiteral("*.bmp"), 10, lines);
        if (n != t.bmps)
            state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(lines.constData());
    }
    state.counters["files"] = t.bmps;
}
BENCHMARK(BM_Search100k)->UseRealTime()->Unit(benchmark::kMillisecond);

void runFind(benchmark::State& state, const QString& dir, int expected)
{
    const QString find = QStandardPaths::findExecutable(QStringLiteral("find"));
    if (find.isEmpty()) {
        state.SkipWithError("find not installed");
        return;
    }
    for (auto _ : state) {
        QProcess p;
        p.start(find, {dir, QStringLiteral("-maxdepth"), QStringLiteral("11"), QStringLiteral("-iname"),
                       QStringLiteral("*.bmp")});
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            state.SkipWithError("find failed");
        const QByteArray out = p.readAllStandardOutput();
        if (expected >= 0 && out.count('\n') != expected)
            state.SkipWithError("find found another count");
    }
}

void BM_Find100k(benchmark::State& state) { runFind(state, tree().root, tree().bmps); }
BENCHMARK(BM_Find100k)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_FindTiny(benchmark::State& state) { runFind(state, tree().tiny, 0); }
BENCHMARK(BM_FindTiny)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
