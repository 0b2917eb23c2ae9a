// What other programs and odd arguments do to the extractor: a video shortened while it is read.
#include "VidsplitFixture.h"

#include "TestFiles.h"
#include "list/ListFile.h"
#include "vidsplit/Extraction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

SerVideo mono(int frames, int width = 16, int height = 12)
{
    SerVideo s;
    s.frames = frames;
    s.width = width;
    s.height = height;
    s.sample = [](int f, int x, int y, int) { return unsigned(x + y + f) & 255; };
    return s;
}

}  // namespace

// A capture program starting over on the same file: the frames read so far are kept and listed,
// and the run says what happened instead of dying on a fault.
TEST(Hostile, VideoShortenedWhileItIsRead)
{
    QTemporaryDir tmp;
    const QString video = tmp.filePath("live.ser");
    // Frames of two pages each, so that the cut leaves whole pages past the end.
    SerVideo s = mono(6, 128, 64);
    for (int i = 0; i < 6; ++i)
        s.trailer.push_back(serTicks(1700000000 + i));
    ASSERT_TRUE(writeAll(video, serBytes(s)));
    const qint64 frameBytes = 128 * 64;

    Extraction extraction({video, tmp.filePath("out")});
    extraction.onProgress([&](const ExtractProgress& p) {
        if (p.done == 1)
            ASSERT_EQ(::truncate(QFile::encodeName(video).constData(), 178 + 2 * frameBytes + 100), 0);
    });
    const ExtractResult r = extraction.run();
    EXPECT_EQ(r.written, 2);
    EXPECT_FALSE(r.complete());
    ASSERT_FALSE(r.problems.isEmpty());
    EXPECT_TRUE(r.problems[0].startsWith(video + QString::fromUtf8(" : fichier tronqué"))) << r.problems.join('\n').toStdString();
    EXPECT_EQ(filesIn(tmp.filePath("out")), QStringList({"live.LST", "live_00001.bmp", "live_00002.bmp"}));
    EXPECT_EQ(readListFile(r.listFile).size(), 2u);
}
