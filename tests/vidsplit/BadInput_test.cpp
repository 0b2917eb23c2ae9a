// Bad videos, places and command lines through the real vidsplit executable: a message naming the
// file, exit status 1 (2 for the command line), and nothing written half (no frame, no temporary
// file, no list). Then the command lines the program and scripts give.
#include "VidsplitFixture.h"

#include "TestFiles.h"
#include "vidsplit/VidsplitCommand.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

SerVideo plainMono(int frames)
{
    SerVideo s;
    s.frames = frames;
    s.sample = [](int f, int x, int y, int) { return unsigned(x + y + f); };
    return s;
}

QByteArray withSize(QByteArray header, int32_t width, int32_t height)
{
    for (int i = 0; i < 4; ++i) {
        header[26 + i] = char(uint32_t(width) >> (8 * i));
        header[30 + i] = char(uint32_t(height) >> (8 * i));
    }
    return header;
}

}  // namespace

TEST(BadInput, EachGetsAMessageNamingItAndNothingIsWritten)
{
    const QByteArray good = serBytes(plainMono(3));
    const qsizetype frame = 16 * 12;
    struct Case {
        const char* file;
        QByteArray bytes;
        const char* reason;  // part of the message
    };
    const std::vector<Case> cases = {
        {"empty.ser", QByteArray(), "fichier vide"},
        {"empty.avi", QByteArray(), "fichier vide"},
        {"notes.ser", "Observations du 12 mars\nseeing 3/5\n", "pas une vidéo SER"},
        {"notes.avi", "Observations du 12 mars\nseeing 3/5\n", "vidéo illisible (données invalides)"},
        {"header-only.ser", good.left(100), "tronqué"},
        {"half-frame.ser", good.left(178 + frame / 2), "tronqué"},
        {"huge.ser", withSize(good, 100000, 100000), "taille d'image impossible (100000 × 100000)"},
        {"negative.ser", withSize(good, -16, 12), "taille d'image impossible"},
        {"wide.ser", withSize(good, 1 << 30, 1 << 30), "taille d'image impossible"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        QTemporaryDir tmp;
        const QString video = tmp.filePath(c.file);
        ASSERT_TRUE(writeAll(video, c.bytes));
        const RunResult r = runVidsplit({video, QStringLiteral("--out"), tmp.filePath("out")});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(video + " : ")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.reason))) << r.err.toStdString();
        EXPECT_EQ(filesIn(tmp.filePath("out")), QStringList());
        EXPECT_EQ(filesIn(tmp.path()), QStringList({c.file}));
    }
}

TEST(BadInput, TruncatedLastFrameKeepsTheWholeOnes)
{
    QTemporaryDir tmp;
    const QString video = tmp.filePath("cut.ser");
    ASSERT_TRUE(writeAll(video, serBytes(plainMono(3)).chopped(10)));
    const RunResult r = runVidsplit({video}, tmp.path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(video + QString::fromUtf8(" : fichier SER tronqué : 2 images complètes sur les 3 annoncées")))
        << r.err.toStdString();
    EXPECT_EQ(filesIn(tmp.path()), QStringList({"cut.LST", "cut.ser", "cut_00001.bmp", "cut_00002.bmp"}));
}

TEST(BadInput, UnwritableOutputDirectory)
{
    // Run as an ordinary user (nobody, when the tests run as root): the folder is theirs to read only.
    QTemporaryDir tmp;
    ASSERT_TRUE(QFile::setPermissions(tmp.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                      | QFile::ReadOther | QFile::ExeOther));
    const QString video = tmp.filePath("v.ser");
    ASSERT_TRUE(writeAll(video, serBytes(plainMono(2))));
    ASSERT_TRUE(writeAll(tmp.filePath("plain-file"), "x"));
    QDir().mkdir(tmp.filePath("locked"));
    QFile::setPermissions(tmp.filePath("locked"), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    const QStringList dirs = {tmp.filePath("plain-file"), tmp.filePath("plain-file/sub"), tmp.filePath("locked")};
    for (const QString& dir : dirs) {
        SCOPED_TRACE(dir.toStdString());
        const RunResult r = runVidsplit({video, QStringLiteral("--out"), dir}, {}, true);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(QStringLiteral("Impossible d'écrire dans %1").arg(dir))) << r.err.toStdString();
    }
    EXPECT_EQ(filesIn(tmp.filePath("locked")), QStringList());
    QFile::setPermissions(tmp.filePath("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(filesIn(tmp.path()), QStringList({"plain-file", "v.ser"}));
}

TEST(BadInput, CommandLinesThatCannotBeUnderstood)
{
    const QStringList cases[] = {
        {"--first", "0", "v.ser"},
        {"v.ser", "--count", "-3"},
        {"v.ser", "--byte-order", "middle"},
        {"v.ser", "w.ser"},
        {"v.ser", "--out"},
        {"--join", "l.lst"},
        {"--join", "l.lst", "o.ser", "--min-score", "deux"},
        {"v.ser", "--frobnicate"},
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const RunResult r = runVidsplit(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains("Usage")) << r.err.toStdString();
    }
}

TEST(CommandLine, AsTheProgramStartsItAndAsScriptsDo)
{
    // The program passes the list as one argument, spaces and all.
    const CommandLine window = parseCommandLine({"/VELMORAN", "/home/obs/mes listes/nuit du 3.lst"});
    EXPECT_EQ(window.mode, CommandLine::Mode::Window);
    EXPECT_EQ(window.listFile, "/home/obs/mes listes/nuit du 3.lst");
    EXPECT_EQ(parseCommandLine({}).mode, CommandLine::Mode::Window);

    const CommandLine extract =
        parseCommandLine({"--grey", "/v/jupiter.ser", "--first", "10", "--count", "5", "--out", "/o", "--byte-order", "big"});
    ASSERT_EQ(extract.mode, CommandLine::Mode::Extract);
    EXPECT_EQ(extract.extract.video, "/v/jupiter.ser");
    EXPECT_EQ(extract.extract.first, 10);
    EXPECT_EQ(extract.extract.count, 5);
    EXPECT_EQ(extract.extract.outDir, "/o");
    EXPECT_TRUE(extract.extract.grey);
    EXPECT_EQ(extract.extract.byteOrder, ByteOrder::Big);
    // A video whose path starts with "/" is not the program's switch.
    EXPECT_EQ(parseCommandLine({"/VELMORAN.ser"}).mode, CommandLine::Mode::Extract);

    const CommandLine join = parseCommandLine({"--join", "a.lst", "b.ser", "--min-score", "2"});
    ASSERT_EQ(join.mode, CommandLine::Mode::Join);
    EXPECT_EQ(join.join.listFile, "a.lst");
    EXPECT_EQ(join.join.outFile, "b.ser");
    EXPECT_EQ(join.join.minScore, 2);
}
