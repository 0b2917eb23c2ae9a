#include "platform/Picture.h"
#include "platform/PictureAhead.h"

#include "TestFiles.h"
#include "Unprivileged.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>
#include <jerror.h>

#include <functional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The test picture: a red/green gradient over a fixed blue, with a disc of the tint in the middle.
const QColor kTint(200, 120, 40);

int channelDistance(QRgb a, QColor b)
{
    return std::max({std::abs(qRed(a) - b.red()), std::abs(qGreen(a) - b.green()), std::abs(qBlue(a) - b.blue())});
}

// Offset of the first SOFn marker of a JPEG, or -1.
qsizetype findSof(const QByteArray& jpeg)
{
    for (qsizetype i = 2; i + 9 < jpeg.size(); ++i)
        if (uchar(jpeg[i]) == 0xFF && (uchar(jpeg[i + 1]) == 0xC0 || uchar(jpeg[i + 1]) == 0xC2))
            return i;
    return -1;
}

QByteArray bmpHeader(qint32 width, qint32 height, quint16 bpp, quint32 compression, quint32 dataSize)
{
    QByteArray h(54, '\0');
    auto* p = reinterpret_cast<uchar*>(h.data());
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(54 + dataSize, p + 2);
    qToLittleEndian<quint32>(54, p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(width, p + 18);
    qToLittleEndian<qint32>(height, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(bpp, p + 28);
    qToLittleEndian<quint32>(compression, p + 30);
    qToLittleEndian<quint32>(dataSize, p + 34);
    return h;
}

// A 4 × 2 RLE8 bitmap with a grey palette: each row one run of four pixels.
QByteArray rle8Bitmap()
{
    QByteArray palette;
    for (int i = 0; i < 256; ++i)
        palette += QByteArray(1, char(i)) + QByteArray(1, char(i)) + QByteArray(1, char(i)) + QByteArray(1, '\0');
    const QByteArray data = QByteArray::fromHex("04 40 0000 04 c0 0000 0001");
    QByteArray h = bmpHeader(4, 2, 8, 1, quint32(data.size()));
    qToLittleEndian<quint32>(54 + 1024, h.data() + 10);
    return h + palette + data;
}

// A placeable WMF: a window of 1440 × 720 logical units at 1440 units an inch (one inch by half an
// inch, so 96 × 48 pixels), a red rectangle over its left half.
QByteArray smallWmf()
{
    QByteArray records;
    auto record = [&records](quint16 function, std::initializer_list<qint16> params) {
        QByteArray r(6 + 2 * int(params.size()), '\0');
        qToLittleEndian<quint32>(quint32(r.size() / 2), r.data());
        qToLittleEndian<quint16>(function, r.data() + 4);
        int i = 0;
        for (qint16 p : params)
            qToLittleEndian<qint16>(p, r.data() + 6 + 2 * i++);
        records += r;
    };
    record(0x020B, {0, 0});          // SetWindowOrg(y, x)
    record(0x020C, {720, 1440});     // SetWindowExt(y, x)
    record(0x02FC, {0, 0x00FF, 0, 0}); // CreateBrushIndirect: solid, colour 0x000000FF (red)
    record(0x012D, {0});             // SelectObject(0)
    record(0x041B, {720, 720, 0, 0}); // Rectangle(bottom, right, top, left)
    record(0x0000, {});              // end of file

    QByteArray header(18, '\0');
    qToLittleEndian<quint16>(1, header.data());
    qToLittleEndian<quint16>(9, header.data() + 2);
    qToLittleEndian<quint16>(0x0300, header.data() + 4);
    qToLittleEndian<quint32>(quint32((18 + records.size()) / 2), header.data() + 6);
    qToLittleEndian<quint16>(1, header.data() + 10);
    qToLittleEndian<quint32>(7, header.data() + 12);

    QByteArray placeable(22, '\0');
    auto* p = reinterpret_cast<uchar*>(placeable.data());
    qToLittleEndian<quint32>(0x9AC6CDD7u, p);
    qToLittleEndian<qint16>(0, p + 6);
    qToLittleEndian<qint16>(0, p + 8);
    qToLittleEndian<qint16>(1440, p + 10);
    qToLittleEndian<qint16>(720, p + 12);
    qToLittleEndian<quint16>(1440, p + 14);
    quint16 sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= qFromLittleEndian<quint16>(p + 2 * i);
    qToLittleEndian<quint16>(sum, p + 20);
    return placeable + header + records;
}

class PictureTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    QString image(const QString& name, int w, int h)
    {
        const QString p = path(name);
        EXPECT_TRUE(writeTestImage(p, w, h, kTint)) << name.toStdString();
        return p;
    }
};

TEST_F(PictureTest, DecodesEachFormatByExtension)
{
    struct Case {
        const char* name;
        int w, h;
        int tolerance;  // per channel, against the colours written
    };
    const Case cases[] = {
        {"a.bmp", 64, 48, 1},   {"B.BMP", 17, 9, 1},   {"c.jpg", 64, 48, 12},
        {"D.JPG", 64, 48, 12},  {"e.jpeg", 33, 21, 16}, {"F.JpEg", 64, 48, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString p = image(c.name, c.w, c.h);
        const PictureResult r = loadPicture(p);
        ASSERT_EQ(r.status, PictureStatus::Ok) << r.errorText.toStdString();
        ASSERT_EQ(r.image.size(), QSize(c.w, c.h));
        EXPECT_LE(channelDistance(r.image.pixel(0, 0), QColor(0, 0, kTint.blue())), c.tolerance);
        EXPECT_LE(channelDistance(r.image.pixel(c.w - 1, c.h - 1), QColor(255, 255, kTint.blue())), c.tolerance);
        EXPECT_LE(channelDistance(r.image.pixel(c.w / 2, c.h / 2), kTint), c.tolerance);
        EXPECT_EQ(r.jpegErrorCode, 0);
    }
}

TEST_F(PictureTest, DecodesIconsAndOtherBitmapDepths)
{
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(QColor(10, 200, 30));
    ASSERT_TRUE(icon.save(path("i.ico"), "ICO"));
    ASSERT_TRUE(QFile::copy(path("i.ico"), path("J.ICO")));

    QImage grey(20, 10, QImage::Format_Indexed8);
    grey.setColorCount(256);
    for (int i = 0; i < 256; ++i)
        grey.setColor(i, qRgb(i, i, i));
    grey.fill(77);
    ASSERT_TRUE(grey.save(path("g8.bmp"), "BMP"));
    ASSERT_TRUE(writeAll(path("rle.bmp"), rle8Bitmap()));

    struct Case {
        const char* name;
        QSize size;
        QColor colour;
    };
    const Case cases[] = {
        {"i.ico", {32, 32}, QColor(10, 200, 30)},
        {"J.ICO", {32, 32}, QColor(10, 200, 30)},
        {"g8.bmp", {20, 10}, QColor(77, 77, 77)},
        {"rle.bmp", {4, 2}, QColor(0x40, 0x40, 0x40)},  // bottom-up: the first row is the bottom one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PictureResult r = loadPicture(path(c.name));
        ASSERT_EQ(r.status, PictureStatus::Ok) << r.errorText.toStdString();
        EXPECT_EQ(r.image.size(), c.size);
        EXPECT_EQ(channelDistance(r.image.pixel(0, c.size.height() - 1), c.colour), 0);
    }
}

TEST_F(PictureTest, BadContentIsUndecodable)
{
    const QByteArray jpeg = readAll(image("src.jpg", 320, 240));
    const QByteArray bmp = readAll(image("src.bmp", 320, 240));
    ASSERT_FALSE(jpeg.isEmpty());
    ASSERT_FALSE(bmp.isEmpty());
    QImage(16, 16, QImage::Format_RGB32).save(path("png.png"), "PNG");

    std::mt19937 rng(12345);
    QByteArray garbage(2000, '\0');
    for (char& ch : garbage)
        ch = char(rng() & 0xFF);

    QByteArray wideJpeg = jpeg;
    const qsizetype sof = findSof(wideJpeg);
    ASSERT_GT(sof, 0);
    qToBigEndian<quint16>(40000, wideJpeg.data() + sof + 7);
    QByteArray tallJpeg = jpeg;
    qToBigEndian<quint16>(33000, tallJpeg.data() + sof + 5);

    QByteArray pngBytes = readAll(path("png.png"));
    // A WMF whose header claims a 4 GB record: refused before libwmf allocates by it.
    QByteArray hugeRecordWmf = smallWmf();
    qToLittleEndian<quint32>(0x7FFFFFFF, hugeRecordWmf.data() + 22 + 12);

    struct Case {
        const char* name;
        QByteArray bytes;
        int jpegCode;  // expected libjpeg message number, -1 for any non-zero, 0 for none
    };
    const Case cases[] = {
        {"cut.jpg", jpeg.left(jpeg.size() * 6 / 10), JWRN_JPEG_EOF},
        {"header-only.jpg", jpeg.left(sof + 200), -1},
        {"garbage.jpg", jpeg.left(jpeg.size() / 3) + garbage + jpeg.mid(jpeg.size() / 3 + garbage.size()), -1},
        {"wide.jpg", wideJpeg, 0},
        {"tall.jpg", tallJpeg, 0},
        {"empty.jpg", QByteArray(), -1},
        {"text.jpg", "Ceci n'est pas une image.\n", -1},
        {"png.jpeg", pngBytes, -1},
        {"half.bmp", bmp.left(bmp.size() / 2), 0},
        {"one-short.bmp", bmp.left(bmp.size() - 1), 0},
        {"empty.bmp", QByteArray(), 0},
        {"text.bmp", "Ceci n'est pas une image.\n", 0},
        {"png.bmp", pngBytes, 0},
        {"huge.bmp", bmpHeader(100000, 100000, 24, 0, 0), 0},
        {"huge-topdown.bmp", bmpHeader(40000, -40000, 24, 0, 0), 0},
        {"wide.bmp", bmpHeader(32769, 1, 24, 0, 0) + QByteArray(32769 * 3 + 1, '\0'), 0},
        {"toobig-bytes.bmp", bmpHeader(20000, 20000, 8, 0, 0), 0},  // 1.6 GB on screen
        {"zero-width.bmp", bmpHeader(0, 10, 24, 0, 0), 0},
        {"rle-cut.bmp", rle8Bitmap().chopped(4), 0},
        {"empty.ico", QByteArray(), 0},
        {"text.ico", "Ceci n'est pas une icône.\n", 0},
        {"junk.wmf", garbage, 0},
        {"huge-record.wmf", hugeRecordWmf, 0},
        {"no-end.wmf", smallWmf().chopped(6), 0},
        {"junk.emf", garbage, 0},
        {"real.gif", pngBytes, 0},  // a format the program does not show
        {"noextension", bmp, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeAll(path(c.name), c.bytes));
        const PictureResult r = loadPicture(path(c.name));
        EXPECT_EQ(r.status, PictureStatus::Undecodable);
        EXPECT_TRUE(r.image.isNull());
        EXPECT_FALSE(r.errorText.isEmpty());
        if (c.jpegCode > 0)
            EXPECT_EQ(r.jpegErrorCode, c.jpegCode);
        else if (c.jpegCode < 0)
            EXPECT_NE(r.jpegErrorCode, 0);
        else
            EXPECT_EQ(r.jpegErrorCode, 0);
    }
}

TEST_F(PictureTest, FilesThatCannotBeReadAreUnreadable)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.bmp"));
    ASSERT_EQ(mkfifo(path("pipe.jpg").toLocal8Bit().constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(path("nowhere.bmp"), path("dangling.bmp")));

    const char* names[] = {"missing.bmp", "missing.JPG", "folder.bmp", "pipe.jpg", "dangling.bmp"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const PictureResult r = loadPicture(path(name));  // a FIFO must not block here
        EXPECT_EQ(r.status, PictureStatus::Unreadable);
        EXPECT_TRUE(r.errorText.contains(path(name))) << r.errorText.toStdString();
    }
    EXPECT_EQ(loadPicture(QString()).status, PictureStatus::Undecodable);

    {  // root reads whatever the mode says: read as an ordinary user
        const QString locked = image("locked.bmp", 8, 8);
        ASSERT_EQ(chmod(locked.toLocal8Bit().constData(), 0), 0);
        ASSERT_EQ(chmod(dir.path().toLocal8Bit().constData(), 0755), 0);
        EXPECT_EQ(runUnprivileged([&] {
                      const PictureResult r = loadPicture(locked);
                      return r.status == PictureStatus::Unreadable && r.errorText.contains(QStringLiteral("accès refusé"))
                          ? 0 : 1;
                  }),
                  0);
    }
}

TEST_F(PictureTest, KindFollowsTheLastExtensionOfTheName)
{
    const std::pair<const char*, PictureKind> cases[] = {
        {"/a/b.bmp", PictureKind::Bitmap},       {"/a/b.BmP", PictureKind::Bitmap},
        {"b.jpg", PictureKind::Jpeg},            {"/x/y.tar.JPEG", PictureKind::Jpeg},
        {"c.ICO", PictureKind::Icon},            {"d.wmf", PictureKind::Metafile},
        {"d.EMF", PictureKind::Metafile},        {"/dir.jpg/name", PictureKind::Unknown},
        {"/dir/name.", PictureKind::Unknown},    {"/dir/name.jpg.txt", PictureKind::Unknown},
        {"/dir/.bmp", PictureKind::Bitmap},      {"", PictureKind::Unknown},
    };
    for (const auto& [name, kind] : cases)
        EXPECT_EQ(pictureKind(QString::fromUtf8(name)), kind) << name;
}

TEST(PictureLimits, SidesAndDecodedBytes)
{
    struct Case {
        qint64 w, h;
        int bpp;
        bool allowed;
    };
    const Case cases[] = {
        {32768, 1, 4, true},      {32769, 1, 1, false},   {1, 32769, 1, false},
        {16384, 16384, 4, true},  // exactly 1 GiB
        {16384, 16385, 4, false}, {32768, 32768, 1, true}, {32767, 32768, 1, true},  // rows padded to 32768
        {0, 10, 3, false},        {10, -1, 3, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pictureSizeAllowed(c.w, c.h, c.bpp), c.allowed) << c.w << "x" << c.h << "x" << c.bpp;
}

TEST_F(PictureTest, WindowsMetafileIsDrawn)
{
    ASSERT_TRUE(writeAll(path("shape.WMF"), smallWmf()));
    const PictureResult r = loadPicture(path("shape.WMF"));
    ASSERT_EQ(r.status, PictureStatus::Ok) << r.errorText.toStdString();
    EXPECT_EQ(r.image.size(), QSize(96, 48));
    EXPECT_LE(channelDistance(r.image.pixel(20, 24), QColor(255, 0, 0)), 2);
    EXPECT_EQ(r.image.pixel(80, 24), qRgb(255, 255, 255));  // the frame's right half stays blank

    // Cut inside the records: refused or drawn, never a crash.
    const QByteArray wmf = smallWmf();
    for (qsizetype cut = 0; cut < wmf.size(); cut += 7)
        loadPictureFromBytes(wmf.left(cut), PictureKind::Metafile);
}

// A frame asked for again before its decode ahead started is decoded by the caller: the worker
// must not decode it a second time, after it, holding up the next request.
TEST_F(PictureTest, AFrameTakenBeforeItsDecodeAheadStartedIsNotDecodedTwice)
{
    const QString big = image("big.bmp", 3000, 2000);  // keeps the worker busy meanwhile
    const QString next = image("next.bmp", 40, 30);
    PictureAhead ahead;
    ahead.request(big, QSize(), false);
    ahead.request(next, QSize(), false);
    ahead.collect(next);  // the caller decodes it itself unless the worker has it in hand
    ahead.waitIdle();
    EXPECT_FALSE(ahead.collect(next)) << "decoded again on the worker";
}

}  // namespace
