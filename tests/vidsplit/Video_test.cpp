// Videos other than SER, made by the ffmpeg tool: the frames are the ones ffmpeg itself writes.
#include "VidsplitFixture.h"

#include "TestFiles.h"
#include "list/ListFile.h"
#include "vidsplit/Extraction.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

// Runs ffmpeg quietly; false when it fails.
bool ffmpeg(const QStringList& args)
{
    const QString exe = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (exe.isEmpty())
        return false;
    QProcess p;
    p.start(exe, QStringList{"-hide_banner", "-loglevel", "error", "-y"} + args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString numbered(const QString& dir, const QString& prefix, int n)
{
    return QDir(dir).filePath(QStringLiteral("%1%2.bmp").arg(prefix).arg(n, 5, 10, QLatin1Char('0')));
}

}  // namespace

TEST(Video, AviFramesAreTheOnesFfmpegWrites)
{
    QTemporaryDir tmp;
    const QString avi = tmp.filePath("mire.avi");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc=size=96x64:rate=10", "-frames:v", "12", avi}))
        << "ffmpeg (Debian package ffmpeg) is needed";
    QDir().mkdir(tmp.filePath("ref"));
    ASSERT_TRUE(ffmpeg({"-i", avi, tmp.filePath("ref/%05d.bmp")}));
    ASSERT_EQ(filesIn(tmp.filePath("ref")).size(), 12);

    struct Range {
        int64_t first, count;
        int expected;
    };
    for (const Range& range : {Range{1, -1, 12}, Range{4, 3, 3}}) {
        SCOPED_TRACE(range.first);
        ExtractOptions o{avi, tmp.filePath(QStringLiteral("out%1").arg(range.first))};
        o.first = range.first;
        o.count = range.count;
        const ExtractResult r = Extraction(o).run();
        EXPECT_TRUE(r.complete()) << r.problems.join('\n').toStdString();
        ASSERT_EQ(r.written, range.expected);
        for (int i = 0; i < range.expected; ++i) {
            const int n = int(range.first) + i;
            EXPECT_EQ(r.frames[i], numbered(o.outDir, "mire_", n));
            const QImage ours = loadRgb(r.frames[i]);
            const QImage theirs = loadRgb(numbered(tmp.filePath("ref"), "", n));
            ASSERT_FALSE(theirs.isNull());
            EXPECT_TRUE(ours == theirs) << "frame " << n;
        }
    }
}

TEST(Video, BrokenFrameInTheMiddleIsReportedAndSkipped)
{
    QTemporaryDir tmp;
    const QString avi = tmp.filePath("abime.avi");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc=size=64x48:rate=10", "-frames:v", "8", "-c:v", "mjpeg", avi}));
    // Scramble the coded data of the fifth JPEG picture, leaving its headers and the container whole.
    QByteArray bytes = readAll(avi);
    std::vector<qsizetype> starts;
    for (qsizetype i = bytes.indexOf("\xFF\xD8\xFF"); i >= 0; i = bytes.indexOf("\xFF\xD8\xFF", i + 3))
        starts.push_back(i);
    ASSERT_EQ(starts.size(), 8u);
    const qsizetype sos = bytes.indexOf("\xFF\xDA", starts[4]);
    ASSERT_GT(sos, 0);
    for (qsizetype i = sos + 20; i < starts[5] - 20; ++i)
        bytes[i] = (i % 7 == 0) ? char(0xFF) : char(bytes[i] ^ 0x5A);
    ASSERT_TRUE(writeAll(avi, bytes));

    const RunResult r = runVidsplit({avi, "--list", tmp.filePath("frames.lst")}, tmp.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(avi + " : image 5 illisible")) << r.err.toStdString();
    EXPECT_EQ(filesIn(tmp.path()), QStringList({"abime.avi", "abime_00001.bmp", "abime_00002.bmp", "abime_00003.bmp",
                                                "abime_00004.bmp", "abime_00006.bmp", "abime_00007.bmp",
                                                "abime_00008.bmp", "frames.lst"}));
    EXPECT_EQ(readListFile(tmp.filePath("frames.lst")).size(), 7u);
}
