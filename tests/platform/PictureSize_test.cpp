// The picture limits hold for the size a picture really decodes at: the picture stored inside an
// icon, whatever its directory says, and a metafile drawn at no more than 4096 pixels a side.
#include "platform/Metafile.h"
#include "platform/Picture.h"

#include <QBuffer>
#include <QImage>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

// An icon of one picture, whose directory entry claims dirWidth × dirHeight (0 means "256 or see
// the picture").
QByteArray iconOf(const QByteArray& picture, uchar dirWidth, uchar dirHeight)
{
    QByteArray ico(22, '\0');
    auto* p = reinterpret_cast<uchar*>(ico.data());
    qToLittleEndian<quint16>(1, p + 2);  // an icon
    qToLittleEndian<quint16>(1, p + 4);  // one picture
    p[6] = dirWidth;
    p[7] = dirHeight;
    qToLittleEndian<quint16>(1, p + 10);
    qToLittleEndian<quint16>(32, p + 12);
    qToLittleEndian<quint32>(quint32(picture.size()), p + 14);
    qToLittleEndian<quint32>(22, p + 18);
    return ico + picture;
}

QByteArray pngOf(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The signature and IHDR chunk of a PNG of that size and bit depth, and nothing after it: enough
// for a decoder to allocate by.
QByteArray pngHeader(quint32 width, quint32 height, uchar bitDepth)
{
    QByteArray b = QByteArray::fromHex("89504e470d0a1a0a0000000d49484452");
    char size[8];
    qToBigEndian<quint32>(width, size);
    qToBigEndian<quint32>(height, size + 4);
    b.append(size, 8);
    b.append(char(bitDepth)).append(char(6)).append(QByteArray(3, '\0')).append(QByteArray(4, '\0'));
    return b + QByteArray(64, '\0');
}

// A 32-bit bitmap as stored in an icon: its info header (height counting the mask twice) and
// pixels for the first rows only.
QByteArray iconBitmap(qint32 width, qint32 height)
{
    QByteArray b(40, '\0');
    auto* p = reinterpret_cast<uchar*>(b.data());
    qToLittleEndian<quint32>(40, p);
    qToLittleEndian<qint32>(width, p + 4);
    qToLittleEndian<qint32>(height * 2, p + 8);
    qToLittleEndian<quint16>(1, p + 12);
    qToLittleEndian<quint16>(32, p + 14);
    return b + QByteArray(4096, '\x7f');
}

// A placeable WMF of 46 bytes with nothing in it but its frame: right × bottom units at
// unitsPerInch (96 units an inch make one pixel a unit).
QByteArray emptyWmf(qint16 right, qint16 bottom, quint16 unitsPerInch = 96)
{
    QByteArray pl(22, '\0');
    auto* p = reinterpret_cast<uchar*>(pl.data());
    qToLittleEndian<quint32>(0x9AC6CDD7u, p);
    qToLittleEndian<qint16>(right, p + 10);
    qToLittleEndian<qint16>(bottom, p + 12);
    qToLittleEndian<quint16>(unitsPerInch, p + 14);
    quint16 sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= qFromLittleEndian<quint16>(p + 2 * i);
    qToLittleEndian<quint16>(sum, p + 20);
    QByteArray header(18, '\0');
    qToLittleEndian<quint16>(1, header.data());
    qToLittleEndian<quint16>(9, header.data() + 2);
    qToLittleEndian<quint16>(0x0300, header.data() + 4);
    qToLittleEndian<quint32>(12, header.data() + 6);
    qToLittleEndian<quint32>(3, header.data() + 12);
    const QByteArray end = QByteArray::fromHex("030000000000");
    return pl + header + end;
}

}  // namespace

TEST(PictureSize, AnIconIsMeasuredByThePictureItHolds)
{
    const QImage wide(300, 200, QImage::Format_ARGB32);
    struct Case {
        const char* what;
        QByteArray bytes;
        QString error;  // empty: decodes
        QSize size;
    };
    const Case cases[] = {
        {"PNG wider than the directory can say", iconOf(pngOf(QImage(300, 200, QImage::Format_ARGB32)), 16, 16), {},
         QSize(300, 200)},
        {"PNG 40000 wide behind a 16 x 16 entry", iconOf(pngOf(QImage(40000, 1, QImage::Format_ARGB32)), 16, 16),
         "Image trop grande (40000 x 1 pixels)", {}},
        {"PNG 200000 x 200 claimed", iconOf(pngHeader(200000, 200, 8), 16, 16), "Image trop grande (200000 x 200 pixels)",
         {}},
        {"16-bit PNG of 1.1 GiB", iconOf(pngHeader(12000, 12000, 16), 0, 0), "Image trop grande (12000 x 12000 pixels)",
         {}},
        {"bitmap 40000 wide behind a 0 entry", iconOf(iconBitmap(40000, 1), 0, 1), "Image trop grande (40000 x 1 pixels)",
         {}},
        {"bitmap 20000 x 20000", iconOf(iconBitmap(20000, 20000), 0, 0), "Image trop grande (20000 x 20000 pixels)", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PictureResult r = loadPictureFromBytes(c.bytes, PictureKind::Icon);
        if (c.error.isEmpty()) {
            ASSERT_TRUE(r.ok()) << r.errorText.toStdString();
            EXPECT_EQ(r.image.size(), c.size);
        } else {
            EXPECT_EQ(r.status, PictureStatus::Undecodable);
            EXPECT_EQ(r.errorText, c.error);
            EXPECT_TRUE(r.image.isNull());
        }
    }
}

TEST(PictureSize, AMetafileIsDrawnAtMost4096PixelsASide)
{
    struct Case {
        qint64 w, h;
        QSize drawn;
    };
    const Case sizes[] = {
        {96, 48, {96, 48}},       {4096, 4096, {4096, 4096}}, {4097, 1, {4096, 1}},
        {16383, 16383, {4096, 4096}}, {16383, 8191, {4096, 2048}}, {10, 100000, {1, 4096}},
        {100000, 30000, {4096, 1229}},
    };
    for (const Case& c : sizes)
        EXPECT_EQ(metafileDrawnSize(c.w, c.h), c.drawn) << c.w << " x " << c.h;

    // A 46-byte file that claims 16383 × 16383 pixels, and one of half that height.
    for (const auto& [bottom, size] : {std::pair{qint16(16383), QSize(4096, 4096)}, std::pair{qint16(8191), QSize(4096, 2048)}}) {
        const QByteArray wmf = emptyWmf(16383, bottom);
        ASSERT_EQ(wmf.size(), 46);
        const PictureResult r = loadPictureFromBytes(wmf, PictureKind::Metafile);
        ASSERT_TRUE(r.ok()) << r.errorText.toStdString();
        EXPECT_EQ(r.image.size(), size);
    }
    // Small ones keep their own size.
    const PictureResult small = loadPictureFromBytes(emptyWmf(1440, 720, 1440), PictureKind::Metafile);
    ASSERT_TRUE(small.ok()) << small.errorText.toStdString();
    EXPECT_EQ(small.image.size(), QSize(96, 48));
}
