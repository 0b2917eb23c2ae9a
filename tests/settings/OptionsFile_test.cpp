#include "platform/PathUtil.h"
#include "settings/OptionsFile.h"
#include "TestFiles.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

namespace {

// A byte image written by hand at the file's offsets, independent of the code under test.
struct Image {
    QByteArray b;
    explicit Image(int size = kOptionsFileSize) : b(size, '\0') {}
    void u8(int off, uint8_t v) { b[off] = char(v); }
    void i32(int off, uint32_t v) { for (int i = 0; i < 4; ++i) u8(off + i, uint8_t(v >> (8 * i))); }
    void str(int off, const QByteArray& text) { u8(off, uint8_t(text.size())); b.replace(off + 1, text.size(), text); }
    void place(int off, int t, int l, int h, int w) { i32(off, t); i32(off + 4, l); i32(off + 8, h); i32(off + 12, w); }
    void header() { str(0, "Velmoran"); str(256, "pr\xE9Version : 0.56"); }
};

std::string firstDifference(const QByteArray& got, const QByteArray& want)
{
    for (qsizetype i = 0; i < std::min(got.size(), want.size()); ++i)
        if (got[i] != want[i])
            return "offset " + std::to_string(i) + ": got " + std::to_string(uint8_t(got[i])) + ", want "
                + std::to_string(uint8_t(want[i]));
    return got.size() == want.size() ? "" : "size " + std::to_string(got.size()) + " vs " + std::to_string(want.size());
}

struct Records {
    ProgramOptions p;
    DesktopOptions d;
    ExtractorOptions e;
    bool operator==(const Records&) const = default;
};

Records defaults()
{
    Records r;
    setDefaults(r.p);
    setDesktopDefaults(r.d);
    setDefaults(r.e);
    return r;
}

Records loaded()
{
    resetLiveOptions();
    loadAllOptions();
    return {programOptions(), desktopOptions(), extractorOptions()};
}

// A complete valid file with a distinct value in every field and non-zero padding.
Image sampleFile()
{
    Image m;
    m.header();
    m.u8(512, 1);
    m.u8(513, 0xA1); m.u8(514, 0xA2); m.u8(515, 0xA3);
    const uint32_t ints[] = {2, 7, 85, uint32_t(-1500), 250, 0x01020304, 1, 5};
    for (int i = 0; i < 8; ++i) m.i32(516 + 4 * i, ints[i]);
    const uint8_t flags[] = {1, 0, 1, 0, 1, 1};
    for (int i = 0; i < 6; ++i) m.u8(548 + i, flags[i]);
    m.str(554, "Lune_\xE9");
    m.str(810, QString::fromUtf8("/data/Луна/").toUtf8());
    m.str(1066, "/tri/");
    m.str(1322, "/img/");
    m.str(1578, "/img/nuit.lst");
    m.u8(1834, 0xB1); m.u8(1835, 0xB2);
    m.i32(1836, 1); m.i32(1840, 2); m.i32(1844, 253);
    m.u8(1848, '3');
    m.u8(1849, 0xC1); m.u8(1850, 0xC2); m.u8(1851, 0xC3);
    m.i32(1852, 9);
    m.i32(1856, 0x00FF8040);
    m.str(1860, "FIN");
    const int d = 1864;
    m.u8(d, 0);
    m.u8(d + 1, 0xD1); m.u8(d + 2, 0xD2); m.u8(d + 3, 0xD3);
    for (int w = 0; w < 6; ++w)  // command, slideshow, list, zone, thumbnail, reference
        m.place(d + 4 + 16 * w, 10 * w + 1, -(10 * w + 2), 10 * w + 3, 10 * w + 4);
    m.u8(d + 100, 1); m.u8(d + 101, 0); m.u8(d + 102, 1); m.u8(d + 103, 0); m.u8(d + 104, 1);
    m.u8(d + 105, 0xE1); m.u8(d + 106, 0xE2); m.u8(d + 107, 0xE3);
    const uint32_t thumbs[] = {20, 7, 100, 64, 48, 32, 16};
    for (int i = 0; i < 7; ++i) m.i32(d + 108 + 4 * i, thumbs[i]);
    m.u8(d + 136, 1);
    m.str(d + 137, "FIN");
    m.u8(d + 141, 0xF1); m.u8(d + 142, 0xF2); m.u8(d + 143, 0xF3);
    m.str(2008, "/opt/vidsplit/");
    m.u8(2264, 1);
    return m;
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", (dir_.path() + "/cfg").toLocal8Bit());
        QDir().mkpath(dir_.path() + "/cfg/velmoran");
        resetLiveOptions();
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", saved_); }
    QString path() const { return dir_.path() + "/cfg/velmoran/Velmoran.INI"; }
    // Removed first: rewriting a file through truncation makes the file system flush it each time.
    void put(const QByteArray& bytes)
    {
        QFile::remove(path());
        ASSERT_TRUE(writeAll(path(), bytes));
    }
    QByteArray file() const { return readAll(path()); }

    QTemporaryDir dir_;
    QByteArray saved_;
};

TEST_F(Settings, SaveDesktopWritesEveryFieldAtItsOffset)
{
    // The live records are set from the sample file's values through the API, not from the file.
    ProgramOptions& p = programOptions();
    setDefaults(p);
    p.Pad513 = {0xA1, 0xA2, 0xA3};
    p.FitBytesPerPixel = 2; p.FitChannels = 7; p.JpegQuality = 85; p.SlideInterval = -1500;
    p.ShortWait = 250; p.LongWait = 0x01020304; p.SlidePosition = 1; p.FastStep = 5;
    p.SlideLoop = true; p.ShowConverted = true; p.MoveToTarget = true; p.SortMoveToBase = true;
    p.BatchName = QString::fromUtf8("Lune_é");
    p.TargetDirectory = QString::fromUtf8("/data/Луна/");
    p.SortBaseDirectory = "/tri/"; p.LastImageDirectory = "/img/"; p.LastListFile = "/img/nuit.lst";
    p.Pad1834 = {0xB1, 0xB2};
    p.RedWeight = 1; p.GreenWeight = 2; p.BlueWeight = 253; p.DefaultScore = '3';
    p.Pad1849 = {0xC1, 0xC2, 0xC3};
    p.MaxScore = 9; p.SlideBackground = 0x00FF8040;
    DesktopOptions& d = desktopOptions();
    setDefaults(d, 800, 600);
    d.AutoSaveDesktop = false;
    d.Pad1 = {0xD1, 0xD2, 0xD3}; d.Pad105 = {0xE1, 0xE2, 0xE3}; d.Pad141 = {0xF1, 0xF2, 0xF3};
    d.ShowThumbnails = false; d.ShowZones = false;
    d.ThumbPageSize = 20; d.ThumbFirst = 7; d.ThumbCellHeight = 64; d.ThumbCellWidth = 48;
    d.ZoneCellHeight = 32; d.ZoneCellWidth = 16; d.ThumbDontAsk = true;
    extractorOptions() = {"/opt/vidsplit/", true};

    SaveDesktop([](DesktopOptions& o) {
        WindowPlace* places[] = {&o.CommandPlace, &o.SlideshowPlace, &o.ListPlace,
                                 &o.ZonePlace, &o.ThumbnailPlace, &o.ReferencePlace};
        for (int w = 0; w < 6; ++w)
            *places[w] = {10 * w + 1, -(10 * w + 2), 10 * w + 3, 10 * w + 4};
    });
    EXPECT_EQ(firstDifference(file(), sampleFile().b), "");

    const Records live{programOptions(), desktopOptions(), extractorOptions()};
    EXPECT_EQ(loaded(), live);
}

TEST_F(Settings, DefaultsAreWrittenAsTabled)
{
    EXPECT_EQ(loaded(), defaults());  // no file yet
    SaveDesktop(nullptr);

    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const int W = screen.width(), H = screen.height();
    const QByteArray exe = executableDirectory().toUtf8();
    Image m;
    m.header();
    m.u8(512, 1);
    const uint32_t ints[] = {1, 8, 100, 500, 500, 1500, 0, 3};
    for (int i = 0; i < 8; ++i) m.i32(516 + 4 * i, ints[i]);
    m.str(554, "Image");
    m.str(810, exe); m.str(1066, exe); m.str(1322, exe); m.str(1578, exe + "defaut.lst");
    m.i32(1836, 77); m.i32(1840, 151); m.i32(1844, 28);
    m.u8(1848, '0'); m.i32(1852, 2); m.i32(1856, 0x80000001); m.str(1860, "FIN");
    const int d = 1864;
    m.u8(d, 1);
    m.place(d + 4, 0, (W - 640) / 2, 80, 640);
    m.place(d + 20, H - 256, (W - 512) / 2, 256, 512);
    m.place(d + 36, 80, (W - 512) / 2, 256, 512);
    m.place(d + 52, 80, W - 120, 512, 120);
    m.place(d + 68, 80, 0, 512, 120);
    m.place(d + 84, H / 2, W / 2, 100, 100);
    for (int i = 100; i <= 104; ++i) m.u8(d + i, 1);
    const uint32_t thumbs[] = {10, 0, 100, 75, 75, 75, 75};
    for (int i = 0; i < 7; ++i) m.i32(d + 108 + 4 * i, thumbs[i]);
    m.str(d + 137, "FIN");
    m.str(2008, "/");
    EXPECT_EQ(firstDifference(file(), m.b), "");
}

TEST(SettingsDefaults, DesktopPlacesTruncateTowardZero)
{
    struct Case { int W, H; WindowPlace cmd, slide, list, zone, ref; };
    const Case cases[] = {
        {1920, 1080, {0, 640, 80, 640}, {824, 704, 256, 512}, {80, 704, 256, 512}, {80, 1800, 512, 120}, {540, 960, 100, 100}},
        {1023, 767, {0, 191, 80, 640}, {511, 255, 256, 512}, {80, 255, 256, 512}, {80, 903, 512, 120}, {383, 511, 100, 100}},
        // Narrower than the windows: negative halves truncate toward zero, not down.
        {101, 77, {0, -269, 80, 640}, {-179, -205, 256, 512}, {80, -205, 256, 512}, {80, -19, 512, 120}, {38, 50, 100, 100}},
    };
    for (const Case& c : cases) {
        DesktopOptions d;
        setDefaults(d, c.W, c.H);
        EXPECT_EQ(d.CommandPlace, c.cmd) << c.W;
        EXPECT_EQ(d.SlideshowPlace, c.slide) << c.W;
        EXPECT_EQ(d.ListPlace, c.list) << c.W;
        EXPECT_EQ(d.ZonePlace, c.zone) << c.W;
        EXPECT_EQ(d.ThumbnailPlace, (WindowPlace{80, 0, 512, 120})) << c.W;
        EXPECT_EQ(d.ReferencePlace, c.ref) << c.W;
    }
}

TEST_F(Settings, HeaderIsComparedAsBytes)
{
    struct Case { const char* name; int offset; QByteArray text; bool valid; };
    const Case cases[] = {
        {"own header", 0, "Velmoran", true},
        {"another version", 256, "pr\xE9Version : 0.57", false},
        {"name in lower case", 0, "velmoran", false},
        {"version written as UTF-8", 256, QString::fromUtf8("préVersion : 0.56").toUtf8(), false},
        {"version one byte short", 256, "pr\xE9Version : 0.5", false},
    };
    put(sampleFile().b);
    const Records fromFile = loaded();
    for (const Case& c : cases) {
        Image m = sampleFile();
        m.str(c.offset, c.text);
        put(m.b);
        EXPECT_EQ(FileIsValid(), c.valid) << c.name;
        // A foreign header gives defaults for all three blocks, readable as blocks 2 and 3 are.
        EXPECT_EQ(loaded(), c.valid ? fromFile : defaults()) << c.name;
    }
    // Bytes after the header texts do not count.
    Image m = sampleFile();
    m.u8(100, 0x55);
    m.u8(400, 0x66);
    put(m.b);
    EXPECT_TRUE(FileIsValid());
}

TEST_F(Settings, BlockWritesKeepOrDropTheFileAsAnInPlaceWriteWould)
{
    const QByteArray full = sampleFile().b;
    const QByteArray tail(100, '\x7E');
    QByteArray foreign = full;
    foreign[5] = 'X';
    ProgramOptions p; setDefaults(p);
    DesktopOptions d; setDefaults(d, 640, 480);
    ExtractorOptions e; setDefaults(e);
    const QByteArray b1 = toBytes(p), b2 = toBytes(d), b3 = toBytes(e);
    const QByteArray z = QByteArray(1864, '\0');

    struct Case { const char* name; std::optional<QByteArray> before; int block; QByteArray after; };
    const Case cases[] = {
        {"block 2 into no file", std::nullopt, 2, z + b2},
        {"block 3 into no file", std::nullopt, 3, z + QByteArray(144, '\0') + b3},
        {"block 1 into a longer valid file", full + tail, 1, b1 + full.mid(1864) + tail},
        {"block 2 into a complete file", full, 2, full.left(1864) + b2 + full.mid(2008)},
        {"block 1 into a foreign file", foreign + tail, 1, b1},
        {"block 3 into a file of block 1 only", full.left(1864), 3, full.left(1864) + QByteArray(144, '\0') + b3},
        {"block 2 into a file cut in block 2", full.left(1900), 2, full.left(1864) + b2},
        {"block 3 into a zero header", z + b2, 3, z + QByteArray(144, '\0') + b3},
    };
    for (const Case& c : cases) {
        QFile::remove(path());
        if (c.before)
            put(*c.before);
        const bool ok = c.block == 1 ? saveProgramOptions(p) : c.block == 2 ? saveDesktopOptions(d) : saveExtractorOptions(e);
        EXPECT_TRUE(ok) << c.name;
        EXPECT_EQ(firstDifference(file(), c.after), "") << c.name;
    }
    // A block 2 write into a missing file leaves a zero header: the next load still gives defaults.
    QFile::remove(path());
    saveDesktopOptions(d);
    EXPECT_EQ(loaded(), defaults());
}

TEST_F(Settings, FileOfBlockOneOnlyGivesDefaultsForTheOthers)
{
    put(sampleFile().b);
    const Records all = loaded();
    put(sampleFile().b.left(1864));
    Records r = loaded();
    EXPECT_EQ(r.p, all.p);
    EXPECT_EQ(r.d, defaults().d);
    EXPECT_EQ(r.e, defaults().e);
}

TEST_F(Settings, LongTextsAreCutToTheCapacityWithoutSplittingUtf8)
{
    struct Case { QString text; QByteArray stored; };
    const QString cyr = QString::fromUtf8("Л"), euro = QString::fromUtf8("€");
    const Case cases[] = {
        {QString(300, 'a'), QByteArray(255, 'a')},
        {QString(300, QChar(0xE9)), QByteArray(255, '\xE9')},
        {"/a" + cyr.repeated(200), ("/a" + cyr.repeated(126)).toUtf8()},  // 254 bytes, not 255
        {"/" + euro.repeated(100), ("/" + euro.repeated(84)).toUtf8()},    // 253 bytes
    };
    for (const Case& c : cases) {
        ProgramOptions& p = programOptions();
        setDefaults(p);
        p.BatchName = c.text;
        p.LastListFile = c.text;
        extractorOptions().ExtractorDirectory = c.text;
        SaveDesktop(nullptr);
        const QByteArray f = file();
        for (int off : {554, 1578, 2008}) {
            EXPECT_EQ(int(uint8_t(f[off])), int(c.stored.size())) << off;
            EXPECT_EQ(f.mid(off + 1, c.stored.size()), c.stored) << off;
        }
        const Records r = loaded();
        EXPECT_EQ(r.p.BatchName, c.text.left(r.p.BatchName.size()));
        EXPECT_EQ(r.e.ExtractorDirectory, r.p.BatchName);
    }
    programOptions().EndMark = "FINAL";
    SaveDesktop(nullptr);
    EXPECT_EQ(file().mid(1860, 4), QByteArray("\x03" "FIN"));
}

TEST_F(Settings, TextsReadBackAsTheyWereWritten)
{
    // Latin-1 whose bytes would form UTF-8 ("Ã©" is C3 A9) is stored as UTF-8; plain Latin-1 stays
    // one byte a letter; a text cut to its field still reads back as its beginning.
    struct Case { QString text; QByteArray stored; };
    const Case cases[] = {
        {QString::fromUtf8("/Ã©/"), QByteArray("/\xC3\x83\xC2\xA9/")},
        {QString::fromUtf8("/été/"), QByteArray("/\xE9t\xE9/")},
        {QString::fromLatin1("\xE2\x82\xAC"), QByteArray("\xC3\xA2\xC2\x82\xC2\xAC")},
        {QString::fromLatin1("\xC3\xA9\xFF"), QByteArray("\xC3\xA9\xFF")},
        // 254 letters then "Ã©" and an invalid byte: whole, not UTF-8; cut to 255 bytes, it would be.
        {QString(253, 'a') + QString::fromLatin1("\xC3\xA9\xFF"), QByteArray(253, 'a') + "\xC3\x83"},
    };
    for (const Case& c : cases) {
        ProgramOptions& p = programOptions();
        setDefaults(p);
        p.TargetDirectory = c.text;
        p.LastListFile = c.text;
        extractorOptions().ExtractorDirectory = c.text;
        ASSERT_TRUE(SaveDesktop(nullptr));
        const QByteArray f = file();
        for (int off : {810, 1578, 2008})
            EXPECT_EQ(f.mid(off + 1, uint8_t(f[off])), c.stored) << off;
        const Records r = loaded();
        for (const QString& back : {r.p.TargetDirectory, r.p.LastListFile, r.e.ExtractorDirectory})
            EXPECT_EQ(back, c.text.left(back.size()));
        EXPECT_EQ(r.p.TargetDirectory.size(), c.stored.size() > 254 ? 254 : c.text.size());
    }
}

TEST_F(Settings, EveryLengthOfTruncatedOrGarbageFileLoadsBlockByBlock)
{
    const QByteArray full = sampleFile().b;
    put(full);
    const Records whole = loaded();
    const Records def = defaults();
    std::mt19937 rng(1234);
    for (int len = 0; len <= kOptionsFileSize; ++len) {
        put(full.left(len));
        const Records r = loaded();
        EXPECT_EQ(r.p, len >= 1864 ? whole.p : def.p) << len;
        EXPECT_EQ(r.d, len >= 2008 ? whole.d : def.d) << len;
        EXPECT_EQ(r.e, len >= 2265 ? whole.e : def.e) << len;

        QByteArray junk(len, '\0');
        for (char& ch : junk) ch = char(rng());
        put(junk);
        EXPECT_EQ(loaded(), def) << len;

        // Garbage behind a valid header decodes without harm; spot-check a field of each block.
        if (len < 512)
            continue;
        Image m(len);
        m.b = junk;
        m.header();
        put(m.b);
        const Records g = loaded();
        auto le32 = [&](int off) { return int32_t(uint8_t(m.b[off]) | uint8_t(m.b[off + 1]) << 8 | uint8_t(m.b[off + 2]) << 16 | uint32_t(uint8_t(m.b[off + 3])) << 24); };
        if (len >= 1864) {
            EXPECT_EQ(g.p.FitChannels, le32(520)) << len;
        }
        if (len >= 2008) {
            EXPECT_EQ(g.d.ThumbPageSize, le32(1864 + 108)) << len;
        }
        if (len >= 2265) {
            EXPECT_EQ(g.e.ExtractorDontAsk, m.b[2264] != 0) << len;
        }
        EXPECT_LE(g.p.EndMark.size(), 3);
        if (len % 97 == 0) {
            SaveDesktop(nullptr);
            EXPECT_EQ(file().size(), std::max(len, kOptionsFileSize)) << len;
            EXPECT_TRUE(FileIsValid()) << len;
        }
    }
}

TEST_F(Settings, ReadThenWriteIsByteIdenticalAndFlagsReadAnyNonZero)
{
    const QByteArray withTail = sampleFile().b + QByteArray("tail bytes");
    put(withTail);
    loadAllOptions();
    SaveDesktop(nullptr);
    EXPECT_EQ(firstDifference(file(), withTail), "");

    Image m = sampleFile();
    m.u8(549, 0x80);         // SlideFullScreen
    m.u8(1864 + 103, 0x02);  // ShowZones
    m.u8(2264, 0xFF);        // ExtractorDontAsk
    m.u8(1860, 0xFF);        // damaged EndMark length
    put(m.b);
    const Records r = loaded();
    EXPECT_TRUE(r.p.SlideFullScreen);
    EXPECT_TRUE(r.d.ShowZones);
    EXPECT_TRUE(r.e.ExtractorDontAsk);
    EXPECT_EQ(r.p.EndMark, "FIN");
    SaveDesktop(nullptr);
    const QByteArray f = file();
    EXPECT_EQ(f[549], 1);
    EXPECT_EQ(f[1864 + 103], 1);
    EXPECT_EQ(f[2264], 1);
}

TEST_F(Settings, FileLocationAndOddFiles)
{
    qputenv("XDG_CONFIG_HOME", "");
    EXPECT_EQ(optionsFilePath(), QDir::homePath() + "/.config/velmoran/Velmoran.INI");
    qputenv("XDG_CONFIG_HOME", "relative/dir");
    EXPECT_EQ(optionsFilePath(), QDir::homePath() + "/.config/velmoran/Velmoran.INI");
    // The folder is made on the first write.
    qputenv("XDG_CONFIG_HOME", (dir_.path() + "/new/nested").toLocal8Bit());
    SaveDesktop(nullptr);
    EXPECT_EQ(QFileInfo(dir_.path() + "/new/nested/velmoran/Velmoran.INI").size(), kOptionsFileSize);
    qputenv("XDG_CONFIG_HOME", (dir_.path() + "/cfg").toLocal8Bit());

    // A directory or a pipe in the file's place gives defaults, without blocking; a write fails quietly.
    ASSERT_TRUE(QDir().mkpath(path()));
    EXPECT_EQ(loaded(), defaults());
    EXPECT_FALSE(saveProgramOptions(programOptions()));
    ASSERT_TRUE(QDir().rmdir(path()));
    ASSERT_EQ(mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
    EXPECT_FALSE(FileIsValid());
    EXPECT_EQ(loaded(), defaults());
}

}  // namespace
