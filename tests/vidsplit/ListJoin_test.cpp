// What the extractor does to the files around it: the list it appends to, names already taken, and
// "--join" back into one SER video.
#include "VidsplitFixture.h"

#include "TestFiles.h"
#include "list/ListFile.h"
#include "settings/OptionsFile.h"
#include "vidsplit/Extraction.h"
#include "vidsplit/FramePreview.h"
#include "vidsplit/NewFile.h"
#include "video/SerFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

SerVideo colourVideo(int frames)
{
    SerVideo s;
    s.colorId = 100;
    s.frames = frames;
    s.sample = [](int f, int x, int y, int p) { return unsigned((x * 9 + y * 5 + f * 40 + p * 70) & 255); };
    return s;
}

SerVideo monoVideo(int frames)
{
    SerVideo s;
    s.frames = frames;
    s.sample = [](int f, int x, int y, int) { return unsigned((x * 11 + y * 3 + f * 50) & 255); };
    return s;
}

ListEntry entry(int n, const QString& dir, const QString& name, const QString& quality)
{
    return {" ", ListModel::formatNumber(n), dir, name, quality, " ", " "};
}

// Settings with this DefaultScore for the duration of a test.
struct DefaultScoreFile {
    explicit DefaultScoreFile(char score)
    {
        ProgramOptions o;
        setDefaults(o);
        o.DefaultScore = score;
        saveProgramOptions(o);
    }
    ~DefaultScoreFile() { QFile::remove(optionsFilePath()); }
};

}  // namespace

TEST(ListAppend, FramesAreAppendedAsTheProgramWritesEntries)
{
    QTemporaryDir tmp;
    const DefaultScoreFile settings('2');
    ASSERT_TRUE(writeAll(tmp.filePath("jupiter.ser"), serBytes(monoVideo(3))));
    const QString list = tmp.filePath("soir.lst");
    const std::vector<ListEntry> before = {entry(0, "/old/", "a.bmp", "1"), entry(1, "/old/", "b.bmp", "0")};
    writeListFile(list, before);

    const RunResult r = runVidsplit({tmp.filePath("jupiter.ser"), "--out", "frames", "--list", list}, tmp.path());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    std::vector<ListEntry> expected = before;
    const QString dir = tmp.filePath("frames/");
    for (int i = 0; i < 3; ++i)
        expected.push_back(entry(2 + i, dir, QStringLiteral("jupiter_0000%1.bmp").arg(i + 1), "2"));
    EXPECT_EQ(readListFile(list), expected);

    // Without a list, a new one named after the video beside the frames; a second run adds to it.
    for (int run = 1; run <= 2; ++run) {
        const RunResult again = runVidsplit({tmp.filePath("jupiter.ser"), "--out", "frames", "--count", "2"}, tmp.path());
        EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
        const std::vector<ListEntry> own = readListFile(tmp.filePath("frames/jupiter.LST"));
        ASSERT_EQ(own.size(), size_t(2 * run));
        EXPECT_EQ(own.back(), entry(2 * run - 1, dir, QStringLiteral("jupiter_00002 (%1).bmp").arg(run + 1), "2"));
    }
}

TEST(ListAppend, ExistingFilesAreNeverReplaced)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(writeAll(tmp.filePath("v.ser"), serBytes(monoVideo(2))));
    ASSERT_TRUE(writeAll(tmp.filePath("v_00001.bmp"), "not a frame, the user's own file"));
    ASSERT_TRUE(writeAll(tmp.filePath("v_00001 (2).bmp"), "another"));
    const ExtractResult r = Extraction({tmp.filePath("v.ser"), tmp.path()}).run();
    ASSERT_TRUE(r.complete()) << r.problems.join('\n').toStdString();
    EXPECT_EQ(r.frames, QStringList({tmp.filePath("v_00001 (3).bmp"), tmp.filePath("v_00002.bmp")}));
    EXPECT_EQ(readAll(tmp.filePath("v_00001.bmp")), "not a frame, the user's own file");
    EXPECT_EQ(readAll(tmp.filePath("v_00001 (2).bmp")), "another");
    EXPECT_EQ(readListFile(tmp.filePath("v.LST"))[0].name, "v_00001 (3).bmp");
    // No temporary file is left behind.
    EXPECT_EQ(filesIn(tmp.path()), QStringList({"v.LST", "v.ser", "v_00001 (2).bmp", "v_00001 (3).bmp", "v_00001.bmp",
                                                "v_00002.bmp"}));
}

TEST(ListAppend, AListThatCannotBeReadStopsEverythingBeforeTheFirstFrame)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(writeAll(tmp.filePath("v.ser"), serBytes(monoVideo(2))));
    const QByteArray garbage("\x89PNG\r\n\x1a\n\0\0binary", 16);
    ASSERT_TRUE(writeAll(tmp.filePath("bad.lst"), garbage));
    const RunResult r = runVidsplit({tmp.filePath("v.ser"), "--list", tmp.filePath("bad.lst")}, tmp.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(tmp.filePath("bad.lst") + " : '")) << r.err.toStdString();
    EXPECT_EQ(readAll(tmp.filePath("bad.lst")), garbage);
    EXPECT_EQ(filesIn(tmp.path()), QStringList({"bad.lst", "v.ser"}));
}

TEST(ListAppend, TakenNamesGetTheNextFreeNumber)
{
    const std::pair<QString, QString> cases[] = {
        {"/d/v_00001.bmp", "/d/v_00001 (2).bmp"},
        {"/d.x/noext", "/d.x/noext (2)"},
        {"/d/.hidden", "/d/.hidden (2)"},
        {"/d/a.b.ser", "/d/a.b (2).ser"},
    };
    for (const auto& [path, second] : cases) {
        EXPECT_EQ(numberedFileName(path, 1), path);
        EXPECT_EQ(numberedFileName(path, 2), second);
    }
}

TEST(Join, ListedFramesComeBackFromTheSer)
{
    struct Case {
        const char* name;
        SerVideo video;
        std::optional<int> minScore;
        std::vector<int> kept;  // frames (0-based) the join keeps
        int colorId;
    };
    const Case cases[] = {
        {"colour, score at least 1", colourVideo(4), 1, {1, 3}, 100},
        {"mono, every frame", monoVideo(3), std::nullopt, {0, 1, 2}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir tmp;
        ASSERT_TRUE(writeAll(tmp.filePath("in.ser"), serBytes(c.video)));
        const ExtractResult x = Extraction({tmp.filePath("in.ser"), tmp.path()}).run();
        ASSERT_EQ(x.written, c.video.frames);
        // Scores as a review leaves them: frames 1 and 3 kept, a blank one not counted.
        std::vector<ListEntry> entries = readListFile(x.listFile);
        const char* scores[] = {"0", "2", " ", "1"};
        for (size_t i = 0; i < entries.size(); ++i)
            entries[i].quality = scores[i];
        writeListFile(x.listFile, entries);

        QStringList args = {"--join", x.listFile, tmp.filePath("out.ser")};
        if (c.minScore)
            args << "--min-score" << QString::number(*c.minScore);
        const RunResult r = runVidsplit(args);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

        const QByteArray ser = readAll(tmp.filePath("out.ser"));
        SerReader reader;
        QString error;
        ASSERT_TRUE(reader.open(reinterpret_cast<const uint8_t*>(ser.constData()), ser.size(), error)) << error.toStdString();
        EXPECT_EQ(reader.header().colorId, c.colorId);
        EXPECT_EQ(reader.header().pixelDepth, 8);
        ASSERT_EQ(reader.frameCount(), int64_t(c.kept.size()));
        EXPECT_FALSE(reader.countRecomputed());
        ASSERT_TRUE(reader.hasTrailer());
        for (size_t i = 0; i < c.kept.size(); ++i) {
            Frame8 frame;
            reader.readFrame(int64_t(i), frame, false);
            EXPECT_TRUE(frameImage(frame).convertToFormat(QImage::Format_RGB888) == loadRgb(x.frames[c.kept[i]])) << "frame " << i;
            const QDateTime written = QFileInfo(x.frames[c.kept[i]]).lastModified();
            EXPECT_EQ(*reader.frameTime(int64_t(i)) / 1000000, written.toMSecsSinceEpoch());
        }
    }
}

TEST(Join, NothingIsWrittenUnlessEveryFrameFits)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(writeTestImage(tmp.filePath("a.bmp"), 16, 12));
    ASSERT_TRUE(writeTestImage(tmp.filePath("b.bmp"), 16, 12));
    ASSERT_TRUE(writeTestImage(tmp.filePath("c.bmp"), 20, 12));
    const QString dir = tmp.path() + "/";
    writeListFile(tmp.filePath("mixed.lst"), {entry(0, dir, "a.bmp", "1"), entry(1, dir, "c.bmp", "1")});
    writeListFile(tmp.filePath("missing.lst"), {entry(0, dir, "a.bmp", "1"), entry(1, dir, "gone.bmp", "1")});
    writeListFile(tmp.filePath("low.lst"), {entry(0, dir, "a.bmp", "0")});
    const std::pair<const char*, QString> cases[] = {
        {"mixed.lst", tmp.filePath("c.bmp") + QString::fromUtf8(" : 20 × 12 au lieu de 16 × 12")},
        {"missing.lst", tmp.filePath("gone.bmp") + " : "},
        {"low.lst", tmp.filePath("low.lst") + QString::fromUtf8(" : aucune image de qualité 1 ou plus")},
        {"absent.lst", tmp.filePath("absent.lst") + " : Fichier introuvable"},
    };
    for (const auto& [list, message] : cases) {
        SCOPED_TRACE(list);
        const RunResult r = runVidsplit({"--join", tmp.filePath(list), tmp.filePath("out.ser"), "--min-score", "1"});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(message)) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(tmp.filePath("out.ser")));
    }

    // An existing video is kept; the new one takes the next free name.
    writeListFile(tmp.filePath("good.lst"), {entry(0, dir, "a.bmp", "1"), entry(1, dir, "b.bmp", "1")});
    ASSERT_TRUE(writeAll(tmp.filePath("out.ser"), "earlier video"));
    const RunResult r = runVidsplit({"--join", tmp.filePath("good.lst"), tmp.filePath("out.ser")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(tmp.filePath("out (2).ser"))) << r.err.toStdString();
    EXPECT_EQ(readAll(tmp.filePath("out.ser")), "earlier video");
    EXPECT_EQ(readAll(tmp.filePath("out (2).ser")).size(), 178 + 2 * 16 * 12 * 3 + 2 * 8);
}

TEST(Join, FramesGoBackInTheOrderTheyWereCaptured)
{
    for (const bool numberedNames : {true, false}) {
        SCOPED_TRACE(numberedNames ? "frame numbers in the names" : "names without a number");
        QTemporaryDir tmp;
        SerVideo s = monoVideo(4);
        const int64_t base = 1700000000;
        s.trailer = {serTicks(base), serTicks(base + 1), serTicks(base + 2), serTicks(base + 3)};
        ASSERT_TRUE(writeAll(tmp.filePath("in.ser"), serBytes(s)));
        const ExtractResult x = Extraction({tmp.filePath("in.ser"), tmp.path()}).run();
        ASSERT_EQ(x.written, 4);
        std::vector<ListEntry> entries = readListFile(x.listFile);
        if (!numberedNames) {
            for (int i = 0; i < 4; ++i) {
                const QString name = QStringLiteral("vue-%1.bmp").arg(QChar('d' - i));
                ASSERT_TRUE(QFile::rename(x.frames[i], tmp.filePath(name)));
                entries[size_t(i)].name = name;
            }
        }
        // The list as "Trier par Netteté" leaves it.
        const int listed[] = {2, 0, 3, 1};
        writeListFile(x.listFile, {entries[2], entries[0], entries[3], entries[1]});

        const RunResult r = runVidsplit({"--join", x.listFile, tmp.filePath("out.ser")});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QByteArray ser = readAll(tmp.filePath("out.ser"));
        SerReader reader;
        QString error;
        ASSERT_TRUE(reader.open(reinterpret_cast<const uint8_t*>(ser.constData()), ser.size(), error)) << error.toStdString();
        ASSERT_EQ(reader.frameCount(), 4);
        for (int i = 0; i < 4; ++i) {
            // Nothing tells the capture order of names without a number: the list's order stays.
            const int captured = numberedNames ? i : listed[i];
            EXPECT_EQ(*reader.frameTime(i) / 1000000000, base + captured) << "frame " << i;
            Frame8 frame;
            ASSERT_TRUE(reader.readFrame(i, frame, false));
            EXPECT_EQ(frame.data()[0], uint8_t(captured * 50)) << "frame " << i;
        }
    }
}
