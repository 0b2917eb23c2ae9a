#include "convert/ImageConversion.h"

#include "platform/JpegCodec.h"
#include "platform/Picture.h"
#include "platform/ProgramError.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

// The rows of an uncompressed 24-bit bitmap, read where they lie in the file's bytes. The common
// case of the frames this program converts; any other bitmap goes through the picture module.
struct PlainBitmap {
    const uchar* topRow = nullptr;
    qsizetype stride = 0;  // from one row to the one below it: negative for bottom-up files
    int width = 0;
    int height = 0;
};

std::optional<PlainBitmap> plainBitmap(const QByteArray& bmp)
{
    const auto* d = reinterpret_cast<const uchar*>(bmp.constData());
    const qint64 size = bmp.size();
    if (size < 54 || d[0] != 'B' || d[1] != 'M')
        return std::nullopt;
    const qint64 infoSize = qFromLittleEndian<quint32>(d + 14);
    if (infoSize < 40 || 14 + infoSize > size)
        return std::nullopt;
    const qint64 width = qFromLittleEndian<qint32>(d + 18);
    qint64 height = qFromLittleEndian<qint32>(d + 22);
    const bool topDown = height < 0;
    if (topDown)
        height = -height;
    if (qFromLittleEndian<quint16>(d + 26) != 1 || qFromLittleEndian<quint16>(d + 28) != 24
        || qFromLittleEndian<quint32>(d + 30) != 0 || !pictureSizeAllowed(width, height, 4))
        return std::nullopt;
    // Pixel data starts at the header's offset, or right after the headers when it points inside them.
    const qint64 dataStart = std::max<qint64>(qFromLittleEndian<quint32>(d + 10), 14 + infoSize);
    const qint64 stride = (width * 3 + 3) & ~qint64(3);
    if (dataStart + stride * height > size)
        return std::nullopt;
    PlainBitmap b;
    b.width = int(width);
    b.height = int(height);
    b.stride = topDown ? stride : -stride;
    b.topRow = d + dataStart + (topDown ? 0 : stride * (height - 1));
    return b;
}

QImage decodeOrThrow(const QByteArray& bytes, PictureKind kind)
{
    PictureResult r = loadPictureFromBytes(bytes, kind);
    if (!r.ok())
        throw ProgramError(r.errorText);
    return std::move(r.image);
}

void put16(char* p, quint16 v) { qToLittleEndian(v, p); }
void put32(char* p, quint32 v) { qToLittleEndian(v, p); }

constexpr int kFileHeader = 14;
constexpr int kInfoHeader = 40;

}  // namespace

QImage decodeBitmap24(const QByteArray& bmp)
{
    if (const std::optional<PlainBitmap> b = plainBitmap(bmp)) {
        QImage image(b->width, b->height, QImage::Format_RGB888);
        if (image.isNull())
            throw ProgramError(QString::fromUtf8("Mémoire insuffisante"));
        for (int y = 0; y < b->height; ++y) {
            const uchar* p = b->topRow + y * b->stride;
            uchar* q = image.scanLine(y);
            for (int x = 0; x < b->width; ++x, p += 3, q += 3) {
                q[0] = p[2];
                q[1] = p[1];
                q[2] = p[0];
            }
        }
        return image;
    }
    QImage image = decodeOrThrow(bmp, PictureKind::Bitmap);
    if (image.format() != QImage::Format_RGB888)
        image = image.convertToFormat(QImage::Format_RGB888);
    if (image.isNull())
        throw ProgramError(QString::fromUtf8("Mémoire insuffisante"));
    return image;
}

QByteArray encodeBmp24(const QImage& picture)
{
    const QImage converted = picture.format() == QImage::Format_RGB888 ? QImage() : picture.convertToFormat(QImage::Format_RGB888);
    const QImage& rgb = converted.isNull() ? picture : converted;
    const qint64 width = rgb.width();
    const qint64 height = rgb.height();
    const qint64 stride = (width * 3 + 3) & ~qint64(3);
    const qint64 imageSize = stride * height;
    const qint64 fileSize = kFileHeader + kInfoHeader + imageSize;
    if (rgb.isNull() || fileSize > 0xFFFFFFFFll)
        throw ProgramError(QStringLiteral("Image bitmap incorrecte"));

    QByteArray out(qsizetype(fileSize), Qt::Uninitialized);
    char* h = out.data();
    std::memset(h, 0, kFileHeader + kInfoHeader);
    h[0] = 'B';
    h[1] = 'M';
    put32(h + 2, quint32(fileSize));
    put32(h + 10, kFileHeader + kInfoHeader);
    put32(h + 14, kInfoHeader);
    put32(h + 18, quint32(width));
    put32(h + 22, quint32(height));
    put16(h + 26, 1);   // planes
    put16(h + 28, 24);  // bits per pixel; compression 0 (BI_RGB)
    put32(h + 34, quint32(imageSize));

    uchar* row = reinterpret_cast<uchar*>(h + kFileHeader + kInfoHeader);
    for (qint64 y = height - 1; y >= 0; --y, row += stride) {
        const uchar* p = rgb.constScanLine(int(y));
        uchar* q = row;
        for (qint64 x = 0; x < width; ++x, p += 3, q += 3) {
            q[0] = p[2];
            q[1] = p[1];
            q[2] = p[0];
        }
        for (qint64 pad = width * 3; pad < stride; ++pad)
            row[pad] = 0;
    }
    return out;
}

QByteArray bmpToJpegBytes(const QByteArray& bmp, int quality)
{
    QByteArray jpeg;
    if (const std::optional<PlainBitmap> b = plainBitmap(bmp)) {
        const JpegEncodeResult r = encodeJpegRows(b->topRow, b->stride, b->width, b->height, JpegPixels::Bgr,
                                                  std::clamp(quality, 0, 100), jpeg);
        if (!r.ok)
            throw ProgramError(r.errorText);
        return jpeg;
    }
    const QImage picture = decodeOrThrow(bmp, PictureKind::Bitmap);
    const JpegEncodeResult r = encodeJpegToBytes(picture, std::clamp(quality, 0, 100), jpeg);
    if (!r.ok)
        throw ProgramError(r.errorText);
    return jpeg;
}

QByteArray jpegToBmpBytes(const QByteArray& jpeg)
{
    QImage picture;
    try {
        picture = decodeOrThrow(jpeg, PictureKind::Jpeg);
    } catch (const ProgramError& e) {
        // The library's numbered error says nothing to a user on its own.
        if (e.text().startsWith(QLatin1String("JPEG error")))
            throw ProgramError(QStringLiteral("Image JPEG incorrecte (%1)").arg(e.text()));
        throw;
    }
    return encodeBmp24(picture);
}
