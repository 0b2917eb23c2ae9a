// What other programs and odd arguments do to the extractor: a video shortened while it is read, a
// device or a video given as the list, memory running out, a count as large as it can be, names
// that would break a list file.
#include "VidsplitFixture.h"

#include "TestFiles.h"
#include "list/ListFile.h"
#include "vidsplit/Extraction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define VIDSPLIT_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VIDSPLIT_ASAN 1
#endif
#endif

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

// A file of size bytes that takes no room: the SER identifier, then a hole.
void sparseFile(const QString& path, qint64 size)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("LUCAM-RECORDER");
    ASSERT_TRUE(f.resize(size));
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
        if (p.done == 1) {
            ASSERT_EQ(::truncate(QFile::encodeName(video).constData(), 178 + 2 * frameBytes + 100), 0);
        }
    });
    const ExtractResult r = extraction.run();
    EXPECT_EQ(r.written, 2);
    EXPECT_FALSE(r.complete());
    ASSERT_FALSE(r.problems.isEmpty());
    EXPECT_TRUE(r.problems[0].startsWith(video + QString::fromUtf8(" : fichier tronqué"))) << r.problems.join('\n').toStdString();
    EXPECT_EQ(filesIn(tmp.filePath("out")), QStringList({"live.LST", "live_00001.bmp", "live_00002.bmp"}));
    EXPECT_EQ(readListFile(r.listFile).size(), 2u);
}

TEST(Hostile, ListsThatAreNoListsAreRefusedBeforeAnything)
{
    QTemporaryDir tmp;
    const QString video = tmp.filePath("v.ser");
    ASSERT_TRUE(writeAll(video, serBytes(mono(2))));
    const QString big = tmp.filePath("capture.ser");
    sparseFile(big, qint64(2) << 30);
    const QString out = tmp.filePath("out");
    struct Case {
        const char* name;
        QStringList args;
        QString message;
    };
    const Case cases[] = {
        {"a device to extract into", {video, "--out", out, "--list", "/dev/zero"},
         QString::fromUtf8("/dev/zero : ce n'est pas un fichier ordinaire")},
        {"a device to join", {"--join", "/dev/zero", tmp.filePath("j.ser")},
         QString::fromUtf8("/dev/zero : ce n'est pas un fichier ordinaire")},
        {"a 2 GiB video to extract into", {video, "--out", out, "--list", big},
         big + QString::fromUtf8(" : fichier trop grand pour une liste")},
        {"a 2 GiB video to join", {"--join", big, tmp.filePath("j.ser")},
         big + QString::fromUtf8(" : fichier trop grand pour une liste")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RunResult r = runVidsplit(c.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        EXPECT_EQ(filesIn(out), QStringList());
        EXPECT_EQ(filesIn(tmp.path()), QStringList({"capture.ser", "v.ser"}));
    }
}

TEST(Hostile, MemoryRunningOutEndsTheCommandInItsWords)
{
#ifdef VIDSPLIT_ASAN
    GTEST_SKIP() << "AddressSanitizer reserves more address space than a memory limit can leave";
#else
    // A list of one line of 900 MB (within what a list may weigh), read under 640 MB of address
    // space in all.
    QTemporaryDir tmp;
    const QString list = tmp.filePath("one-line.lst");
    {
        QFile f(list);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(900) << 20));
    }
    const RunResult r = runVidsplit({"--join", list, tmp.filePath("j.ser")}, {}, false, qint64(640) << 20);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("vidsplit: Mémoire insuffisante"))) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath("j.ser")));
#endif
}

TEST(Hostile, TheLargestCountStopsAtTheEnd)
{
    QTemporaryDir tmp;
    const QString video = tmp.filePath("v.ser");
    ASSERT_TRUE(writeAll(video, serBytes(mono(4))));
    const RunResult r = runVidsplit({video, "--first", "2", "--count", "9223372036854775807"}, tmp.path());
    EXPECT_EQ(r.exitCode, 1) << "fewer frames than asked for";
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("la vidéo s'arrête à l'image 4"))) << r.err.toStdString();
    EXPECT_EQ(filesIn(tmp.path()), QStringList({"v.LST", "v.ser", "v_00002.bmp", "v_00003.bmp", "v_00004.bmp"}));
    EXPECT_EQ(readListFile(tmp.filePath("v.LST")).size(), 3u);
}

// A list holds one value per line: a name with a line break would shift every entry after it.
TEST(Hostile, NamesWithLineBreaksNeverReachAList)
{
    struct Case {
        const char* name;
        QString video;   // in the temporary folder
        QString outDir;  // below it; empty: the folder itself
        QString named;   // what the message names, below the folder
    };
    const Case cases[] = {
        {"a video name with a line feed", "nuit\n2.ser", {}, "nuit\n2.ser"},
        {"a video name with a carriage return", "nuit\r2.ser", {}, "nuit\r2.ser"},
        {"an output folder with a line feed", "v.ser", "images\nA", "images\nA/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir tmp;
        const QString video = tmp.filePath(c.video);
        ASSERT_TRUE(writeAll(video, serBytes(mono(2))));
        QStringList args = {video, "--list", tmp.filePath("soir.lst")};
        if (!c.outDir.isEmpty())
            args << "--out" << tmp.filePath(c.outDir);
        const RunResult r = runVidsplit(args, tmp.path());
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(tmp.filePath(c.named) + QString::fromUtf8(" : nom avec un saut de ligne")))
            << r.err.toStdString();
        EXPECT_EQ(filesIn(tmp.path()), QStringList({c.video})) << "no frame, no list";
    }
}
