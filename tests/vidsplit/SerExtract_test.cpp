// SER videos written here byte by byte, extracted to BMP frames: the pixels of every frame, for each
// colour kind and each of the writers' quirks.
#include "VidsplitFixture.h"

#include "TestFiles.h"
#include "list/ListFile.h"
#include "platform/Picture.h"
#include "vidsplit/Extraction.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Colour (0 R, 1 G, 2 B) of a Bayer site for ColorID 8..11, as the capture programs lay them out.
int site(int colorId, int x, int y)
{
    static const char* const kLayouts[] = {"RGGB", "GRBG", "GBRG", "BGGR"};
    const char c = kLayouts[colorId - 8][(y & 1) * 2 + (x & 1)];
    return c == 'R' ? 0 : c == 'G' ? 1 : 2;
}

// A scene whose channels are linear in x and y: bilinear demosaicing gives it back exactly away
// from the borders.
int linear(int channel, int x, int y)
{
    static const int k[3][3] = {{2, 3, 10}, {1, 2, 50}, {3, 1, 5}};
    return k[channel][0] * x + k[channel][1] * y + k[channel][2];
}

// Smooth 12-bit data with noise in the low bits, reaching 4095 in the first frame.
unsigned twelveBit(int f, int x, int y)
{
    if (f == 0 && x == 0 && y == 0)
        return 4095;
    const unsigned noise = (unsigned(x) * 2654435761u ^ unsigned(y) * 40503u ^ unsigned(f) * 977u) % 61;
    return std::min(4095u, unsigned(x * 180 + y * 100 + f * 10) + noise);
}

struct SerCase {
    const char* name;
    SerVideo video;
    std::function<QRgb(int f, int x, int y)> expected;
    int expectedFrames = 4;
    bool grey = false;
    bool interiorOnly = false;  // demosaiced borders are averages of fewer neighbours
    bool problemExpected = false;
};

SerVideo mono8(int headerCount = -1)
{
    SerVideo s;
    s.headerCount = headerCount;
    s.sample = [](int f, int x, int y, int) { return unsigned(x * 13 + y * 7 + f * 29) & 255; };
    return s;
}

QRgb greyPixel(unsigned v) { return qRgb(int(v), int(v), int(v)); }

SerVideo twelveIn16(bool bigEndian)
{
    SerVideo s;
    s.depth = 16;
    s.littleEndianFlag = 0;
    s.bigEndianData = bigEndian;
    s.sample = [](int f, int x, int y, int) { return twelveBit(f, x, y); };
    return s;
}

SerVideo colour(int colorId)
{
    SerVideo s;
    s.colorId = colorId;
    s.sample = [colorId](int f, int x, int y, int p) {
        const int rgb[3] = {x * 15, y * 20, 255 - x * 10 - f};
        return unsigned(rgb[colorId == 100 ? p : 2 - p]);
    };
    return s;
}

SerVideo bayer(int colorId)
{
    SerVideo s;
    s.colorId = colorId;
    s.sample = [colorId](int, int x, int y, int) { return unsigned(linear(site(colorId, x, y), x, y)); };
    return s;
}

std::vector<SerCase> serCases()
{
    std::vector<SerCase> cases;
    auto mono = [](int f, int x, int y) { return greyPixel(unsigned(x * 13 + y * 7 + f * 29) & 255); };
    cases.push_back({"mono 8-bit", mono8(), mono});
    auto twelve = [](int f, int x, int y) { return greyPixel(twelveBit(f, x, y) >> 4); };
    cases.push_back({"12-bit in 16, little-endian, flag 0", twelveIn16(false), twelve});
    cases.push_back({"12-bit in 16, big-endian, flag 0", twelveIn16(true), twelve});
    auto rgb = [](int f, int x, int y) { return qRgb(x * 15, y * 20, 255 - x * 10 - f); };
    cases.push_back({"RGB", colour(100), rgb});
    cases.push_back({"BGR", colour(101), rgb});
    for (int id = 8; id <= 11; ++id) {
        SerCase c{"Bayer", bayer(id), [](int, int x, int y) {
                      return qRgb(linear(0, x, y), linear(1, x, y), linear(2, x, y));
                  }};
        c.interiorOnly = true;
        cases.push_back(c);
    }
    SerCase raw{"Bayer as grey", bayer(9), [](int, int x, int y) { return greyPixel(unsigned(linear(site(9, x, y), x, y))); }};
    raw.grey = true;
    cases.push_back(raw);
    SerCase rgbGrey{"RGB as grey", colour(100), [](int f, int x, int y) {
                        const int r = x * 15, g = y * 20, b = 255 - x * 10 - f;
                        return greyPixel(unsigned((77 * r + 151 * g + 28 * b + 128) >> 8));
                    }};
    rgbGrey.grey = true;
    cases.push_back(rgbGrey);
    cases.push_back({"FrameCount 0", mono8(0), mono});
    SerCase beyond{"FrameCount beyond the file", mono8(1000), mono};
    beyond.problemExpected = true;  // the frames the header promised are not all there
    cases.push_back(beyond);
    return cases;
}

}  // namespace

TEST(SerExtract, FramesHaveTheExpectedPixels)
{
    for (const SerCase& c : serCases()) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.video.colorId));
        QTemporaryDir tmp;
        const QString video = tmp.filePath("capture.ser");
        ASSERT_TRUE(writeAll(video, serBytes(c.video)));
        ExtractOptions o;
        o.video = video;
        o.outDir = tmp.filePath("out");
        o.grey = c.grey;
        const ExtractResult r = Extraction(o).run();
        EXPECT_EQ(r.problems.isEmpty(), !c.problemExpected) << r.problems.join('\n').toStdString();
        ASSERT_EQ(r.written, c.expectedFrames);

        for (int f = 0; f < c.expectedFrames; ++f) {
            const QString path = tmp.filePath(QStringLiteral("out/capture_%1.bmp").arg(f + 1, 5, 10, QLatin1Char('0')));
            ASSERT_EQ(r.frames.value(f), path);
            const QImage img = loadRgb(path);
            ASSERT_EQ(img.size(), QSize(c.video.width, c.video.height));
            // Grey frames are 8-bit files, which the program's own decoder reads as the same picture.
            const int id = c.video.colorId;
            const bool greyFrames = c.grey || (id < 100 && !(id >= 8 && id <= 11));
            EXPECT_EQ(readAll(path).at(28), greyFrames ? 8 : 24);
            const PictureResult own = loadPicture(path);
            ASSERT_TRUE(own.ok()) << own.errorText.toStdString();
            EXPECT_EQ(own.image.convertToFormat(QImage::Format_RGB888), img);
            const int m = c.interiorOnly ? 1 : 0;
            int wrong = 0;
            for (int y = m; y < img.height() - m; ++y)
                for (int x = m; x < img.width() - m; ++x)
                    if (img.pixel(x, y) != c.expected(f, x, y) && wrong++ < 3)
                        ADD_FAILURE() << "frame " << f << " (" << x << "," << y << "): " << std::hex << img.pixel(x, y)
                                      << " instead of " << c.expected(f, x, y);
            EXPECT_EQ(wrong, 0);
        }
    }
}

TEST(SerExtract, DemosaicedBordersOfAPlainColourKeepTheColour)
{
    for (int id = 8; id <= 11; ++id) {
        SCOPED_TRACE(id);
        QTemporaryDir tmp;
        SerVideo s;
        s.colorId = id;
        s.width = 5;  // odd sizes put every colour on the last row and column
        s.height = 3;
        s.frames = 1;
        s.sample = [id](int, int x, int y, int) {
            static const unsigned kPlain[3] = {200, 100, 30};
            return kPlain[site(id, x, y)];
        };
        ASSERT_TRUE(writeAll(tmp.filePath("p.ser"), serBytes(s)));
        const ExtractResult r = Extraction({tmp.filePath("p.ser"), tmp.path()}).run();
        ASSERT_EQ(r.written, 1);
        const QImage img = loadRgb(r.frames[0]);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(img.pixel(x, y), qRgb(200, 100, 30)) << x << "," << y;
    }
}

TEST(SerExtract, ByteOrderCanBeForced)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(writeAll(tmp.filePath("be.ser"), serBytes(twelveIn16(true))));
    auto firstPixelRow = [&](ByteOrder order) {
        ExtractOptions o{tmp.filePath("be.ser"), tmp.filePath(QString::number(int(order)))};
        o.count = 1;
        o.byteOrder = order;
        const ExtractResult r = Extraction(o).run();
        return r.written == 1 ? loadRgb(r.frames[0]).pixel(5, 3) : 0u;
    };
    const QRgb right = greyPixel(twelveBit(0, 5, 3) >> 4);
    EXPECT_EQ(firstPixelRow(ByteOrder::Auto), right);
    EXPECT_EQ(firstPixelRow(ByteOrder::Big), right);
    EXPECT_NE(firstPixelRow(ByteOrder::Little), right);
}

TEST(SerExtract, RangeOfFramesAndTheirTimesFromTheTrailer)
{
    QTemporaryDir tmp;
    SerVideo s = mono8();
    s.frames = 6;
    // Out of order, as some programs write them: each frame still gets its own time.
    const int64_t base = 1700000000;
    s.trailer = {serTicks(base + 5), serTicks(base + 1), serTicks(base + 3), serTicks(base + 2),
                 serTicks(base + 9), serTicks(base + 4)};
    ASSERT_TRUE(writeAll(tmp.filePath("t.ser"), serBytes(s)));
    ExtractOptions o{tmp.filePath("t.ser"), tmp.path()};
    o.first = 2;
    o.count = 3;
    const ExtractResult r = Extraction(o).run();
    ASSERT_TRUE(r.complete()) << r.problems.join('\n').toStdString();
    ASSERT_EQ(r.frames, QStringList({tmp.filePath("t_00002.bmp"), tmp.filePath("t_00003.bmp"), tmp.filePath("t_00004.bmp")}));
    EXPECT_EQ(loadRgb(r.frames[0]).pixel(3, 2), greyPixel(unsigned(3 * 13 + 2 * 7 + 1 * 29)));
    const int64_t times[] = {base + 1, base + 3, base + 2};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(QFileInfo(r.frames[i]).lastModified().toSecsSinceEpoch(), times[i]);

    // A range past the end writes what there is and says so.
    o.first = 5;
    o.count = 5;
    o.outDir = tmp.filePath("past");
    const ExtractResult past = Extraction(o).run();
    EXPECT_EQ(past.written, 2);
    ASSERT_EQ(past.problems.size(), 1);
    EXPECT_TRUE(past.problems[0].contains(tmp.filePath("t.ser")));
    o.first = 7;
    o.outDir = tmp.filePath("none");
    const ExtractResult none = Extraction(o).run();
    EXPECT_EQ(none.written, 0);
    EXPECT_EQ(none.problems.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath("none/t.LST")));
}
