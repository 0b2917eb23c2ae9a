#include "platform/Picture.h"

#include "platform/DisplayStretch.h"
#include "platform/FitsReader.h"
#include "platform/JpegCodec.h"
#include "platform/Metafile.h"
#include "platform/TiffReader.h"
#include "video/Frame8.h"
#include "video/FrameEntry.h"
#include "video/VideoFrames.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>

#include <cstring>
#include <optional>

namespace {

// Bitmaps and icons are counted at four bytes a pixel, the form they take on screen, whatever
// their depth in the file.
constexpr int kScreenBytesPerPixel = 4;

PictureResult undecodable(QString text, int jpegCode = 0)
{
    PictureResult r;
    r.status = PictureStatus::Undecodable;
    r.errorText = std::move(text);
    r.jpegErrorCode = jpegCode;
    return r;
}

PictureResult unreadable(const QString& path, const QString& reason)
{
    PictureResult r;
    r.status = PictureStatus::Unreadable;
    r.errorText = QStringLiteral("Impossible d'ouvrir le fichier \"%1\" : %2").arg(path, reason);
    return r;
}

QString tooLargeText(qint64 w, qint64 h)
{
    return QStringLiteral("Image trop grande (%1 x %2 pixels)").arg(w).arg(h);
}

const QString kBadBitmap = QStringLiteral("Image bitmap incorrecte");
const QString kBadIcon = QStringLiteral("Icône incorrecte");

quint16 le16(const uchar* p) { return qFromLittleEndian<quint16>(p); }
quint32 le32(const uchar* p) { return qFromLittleEndian<quint32>(p); }
qint32 le32s(const uchar* p) { return qFromLittleEndian<qint32>(p); }

// Walks an RLE4/RLE8 stream from `pos` and tells whether it reaches the end of the picture (an
// end-of-bitmap code, or every row filled) before the data runs out.
bool rleComplete(const uchar* data, qint64 size, qint64 pos, qint64 height, bool rle4)
{
    qint64 y = 0;
    while (y < height) {
        if (pos + 2 > size)
            return false;
        const int count = data[pos];
        const int code = data[pos + 1];
        pos += 2;
        if (count != 0)
            continue;  // encoded run
        switch (code) {
        case 0:  // end of line
            ++y;
            break;
        case 1:  // end of bitmap
            return true;
        case 2:  // delta
            if (pos + 2 > size)
                return false;
            y += data[pos + 1];
            pos += 2;
            break;
        default: {  // absolute run of `code` pixels, padded to a 16-bit boundary
            qint64 bytes = rle4 ? (code + 1) / 2 : code;
            bytes += bytes & 1;
            if (pos + bytes > size)
                return false;
            pos += bytes;
            break;
        }
        }
    }
    return true;
}

// What the BMP header says, as far as we need it to refuse a picture before decoding it.
struct BmpCheck {
    bool valid = false;       // the header is one we understand
    bool truncated = false;   // the pixel data stops before the picture's end
    qint64 width = 0;
    qint64 height = 0;
};

// Reads the file and info headers. The Qt reader stops quietly at the end of the data and leaves the
// rest of a truncated picture blank, so the length is checked here.
BmpCheck checkBmp(const QByteArray& bytes)
{
    BmpCheck c;
    const auto* d = reinterpret_cast<const uchar*>(bytes.constData());
    const qint64 size = bytes.size();
    if (size < 14 + 12 || d[0] != 'B' || d[1] != 'M')
        return c;
    const qint64 offBits = le32(d + 10);
    const qint64 infoSize = le32(d + 14);
    int bpp = 0;
    quint32 compression = 0;
    if (infoSize == 12) {
        c.width = le16(d + 18);
        c.height = le16(d + 20);
        bpp = le16(d + 24);
    } else if (infoSize >= 40 && 14 + infoSize <= size) {
        c.width = le32s(d + 18);
        c.height = le32s(d + 22);
        if (c.height < 0)
            c.height = -c.height;  // top-down picture
        bpp = le16(d + 28);
        compression = le32(d + 30);
    } else {
        return c;
    }
    if (c.width <= 0 || c.height <= 0)
        return c;
    c.valid = true;
    // Pixel data starts at bfOffBits, or right after the info header when the offset points
    // inside the headers (the reader then ignores it).
    const qint64 dataStart = std::max(offBits, 14 + infoSize);
    switch (compression) {
    case 0:  // BI_RGB
    case 3:  // BI_BITFIELDS
    case 6:  // BI_ALPHABITFIELDS
        if (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32) {
            const qint64 stride = ((c.width * bpp + 31) / 32) * 4;
            // Only meaningful once the size is within limits; checked by the caller first.
            if (pictureSizeAllowed(c.width, c.height, kScreenBytesPerPixel))
                c.truncated = dataStart + stride * c.height > size;
        }
        break;
    case 1:  // BI_RLE8
    case 2:  // BI_RLE4
        if (pictureSizeAllowed(c.width, c.height, kScreenBytesPerPixel))
            c.truncated = !rleComplete(d, size, dataStart, c.height, compression == 2);
        break;
    default:
        break;
    }
    return c;
}

// The sizes an icon's pictures really decode at. The directory's own size fields are one byte
// each and say nothing of the picture stored: Qt decodes a PNG by its IHDR and a bitmap by its
// info header, so those are read here, for every picture the directory lists.
struct IconCheck {
    bool tooLarge = false;
    qint64 width = 0;
    qint64 height = 0;
};

IconCheck checkIcon(const QByteArray& bytes)
{
    IconCheck c;
    const auto* d = reinterpret_cast<const uchar*>(bytes.constData());
    const qint64 size = bytes.size();
    if (size < 6 || le16(d) != 0)
        return c;
    const int count = le16(d + 4);
    static const uchar kPng[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    for (int i = 0; i < count; ++i) {
        const qint64 entry = 6 + 16 * qint64(i);
        if (entry + 16 > size)
            break;
        const qint64 offset = le32(d + entry + 12);
        qint64 w = 0, h = 0;
        int bytesPerPixel = kScreenBytesPerPixel;
        if (offset + 24 <= size && std::memcmp(d + offset, kPng, 8) == 0) {
            w = qFromBigEndian<quint32>(d + offset + 16);
            h = qFromBigEndian<quint32>(d + offset + 20);
            if (offset + 25 <= size && d[offset + 24] == 16)
                bytesPerPixel = 8;  // 16 bits a channel decode to 64-bit pixels
        } else if (offset + 12 <= size) {
            // A byte of 0 in the directory means "see the bitmap's own header", as Qt reads it.
            w = d[entry] != 0 ? d[entry] : le32s(d + offset + 4);
            h = d[entry + 1] != 0 ? d[entry + 1] : le32s(d + offset + 8) / 2;
        }
        // Zero or negative sizes do not decode at all; the decoder refuses them on its own.
        if (w > 0 && h > 0 && !pictureSizeAllowed(w, h, bytesPerPixel)) {
            c.tooLarge = true;
            c.width = w;
            c.height = h;
            return c;
        }
    }
    return c;
}

PictureResult decodeWithQt(const QByteArray& bytes, PictureKind kind)
{
    const bool bitmap = kind == PictureKind::Bitmap;
    const QString& badText = bitmap ? kBadBitmap : kBadIcon;
    if (bytes.isEmpty())
        return undecodable(badText);

    std::optional<BmpCheck> bmp;
    if (bitmap) {
        bmp = checkBmp(bytes);
        if (!bmp->valid)
            return undecodable(badText);
        if (!pictureSizeAllowed(bmp->width, bmp->height, kScreenBytesPerPixel))
            return undecodable(tooLargeText(bmp->width, bmp->height));
        if (bmp->truncated)
            return undecodable(badText);
    }

    if (!bitmap) {
        const IconCheck icon = checkIcon(bytes);
        if (icon.tooLarge)
            return undecodable(tooLargeText(icon.width, icon.height));
    }

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    // The extension decides the decoder: a PNG renamed .bmp is not a bitmap.
    QImageReader reader(&buffer, bitmap ? QByteArrayLiteral("bmp") : QByteArrayLiteral("ico"));
    reader.setAutoDetectImageFormat(false);
    if (!reader.canRead())
        return undecodable(badText);
    // Qt gives a top-down bitmap's height as negative; its true size was checked above.
    const QSize claimed = bitmap ? QSize(int(bmp->width), int(bmp->height)) : reader.size();
    if (claimed.isValid() && !pictureSizeAllowed(claimed.width(), claimed.height(), kScreenBytesPerPixel))
        return undecodable(tooLargeText(claimed.width(), claimed.height()));
    if (!claimed.isValid() && bitmap)
        return undecodable(badText);

    QImage image = reader.read();
    if (image.isNull())
        return undecodable(badText);
    PictureResult r;
    r.status = PictureStatus::Ok;
    r.image = std::move(image);
    return r;
}

PictureResult decodeJpegBytes(const QByteArray& bytes, int scaleDenom)
{
    JpegDecodeResult j = decodeJpeg(bytes, scaleDenom);
    if (!j.ok())
        return undecodable(j.errorText, j.errorCode);
    PictureResult r;
    r.status = PictureStatus::Ok;
    r.image = std::move(j.image);
    return r;
}

// A linear frame's result: its data, and its screen picture unless only the data is wanted. 8-bit
// data (a planetary video's frames) is shown as it is, as its BMP would be.
PictureResult linearResult(LinearImage image, bool render)
{
    PictureResult r;
    r.status = PictureStatus::Ok;
    auto shared = std::make_shared<const LinearImage>(std::move(image));
    if (render && shared->nominalMax == 255 && !shared->isFloat())
        r.image = renderStretched(*shared, StretchCurve{0, 255, 0.5});
    else if (render)
        r.image = DisplayStretch::render(*shared);
    r.linear = std::move(shared);
    return r;
}

PictureResult decodePng(const QByteArray& bytes, bool render)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
    const QString bad = QStringLiteral("Image PNG incorrecte");
    const QSize size = reader.size();
    // Counted at eight bytes a pixel, the most a PNG decodes to.
    if (size.isValid() && !pictureSizeAllowed(size.width(), size.height(), 8))
        return undecodable(tooLargeText(size.width(), size.height()));
    QImage image = reader.read();
    if (image.isNull())
        return undecodable(bad);
    LinearImage linear = linearFromQImage(image);
    if (!linear.isNull())
        return linearResult(std::move(linear), render);
    PictureResult r;
    r.status = PictureStatus::Ok;
    r.image = std::move(image);
    return r;
}

PictureResult linearOrError(LinearDecode linear, bool render)
{
    if (!linear.ok)
        return undecodable(linear.errorText);
    return linearResult(std::move(linear.image), render);
}

PictureResult decodeDeep(const QByteArray& bytes, PictureKind kind, bool render)
{
    if (kind == PictureKind::Png)
        return decodePng(bytes, render);
    LinearDecode linear;
    if (kind == PictureKind::Fits) {
        linear = decodeFits(bytes);
    } else {
        DeepDecode d = decodeTiff(bytes);
        if (!d.picture.isNull()) {
            PictureResult r;
            r.status = PictureStatus::Ok;
            r.image = std::move(d.picture);
            return r;
        }
        linear = std::move(d.linear);
    }
    return linearOrError(std::move(linear), render);
}

PictureResult decodeBytes(const QByteArray& bytes, PictureKind kind, int scaleDenom, bool render)
{
    switch (kind) {
    case PictureKind::Bitmap:
    case PictureKind::Icon:
        return decodeWithQt(bytes, kind);
    case PictureKind::Jpeg:
        return decodeJpegBytes(bytes, scaleDenom);
    case PictureKind::Metafile: {
        MetafileResult m = decodeMetafile(bytes);
        if (m.image.isNull())
            return undecodable(m.errorText);
        PictureResult r;
        r.status = PictureStatus::Ok;
        r.image = std::move(m.image);
        return r;
    }
    case PictureKind::Fits:
    case PictureKind::Tiff:
    case PictureKind::Png:
        return decodeDeep(bytes, kind, render);
    case PictureKind::VideoFrame:  // read from its video, never from bytes
    case PictureKind::Unknown:
        break;
    }
    return undecodable(QStringLiteral("Format d'image inconnu"));
}

// A frame entry: the frame read from its video, which must be there as a file; a video that is
// gone, or that no longer holds the frame, gives the messages of a missing or undecodable file.
PictureResult loadVideoFrame(const QString& path, bool render)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const std::optional<FrameEntry> entry = parseFrameEntry(path.mid(slash + 1));
    const QString video = path.left(slash + 1) + entry->video;
    const QFileInfo info(video);
    if (!info.exists())
        return unreadable(path, QStringLiteral("fichier introuvable"));
    if (!info.isFile())
        return unreadable(path, QStringLiteral("ce n'est pas un fichier ordinaire"));
    LinearImage frame;
    QString error;
    if (!videoFrames().read(video, entry->number, frame, error))
        return undecodable(error);
    return linearResult(std::move(frame), render);
}

PictureResult loadFile(const QString& path, int scaleDenom, bool render)
{
    // The format is told by the name alone, so an unknown extension is refused before the file is
    // looked at, as a format the program cannot show.
    const PictureKind kind = pictureKind(path);
    if (kind == PictureKind::Unknown) {
        const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        return undecodable(QStringLiteral("Format d'image inconnu (%1)")
                               .arg(dot < 0 ? QString() : name.mid(dot)));
    }

    if (kind == PictureKind::VideoFrame)
        return loadVideoFrame(path, render);

    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return unreadable(path, QStringLiteral("fichier introuvable"));
    if (info.isDir())
        return unreadable(path, QStringLiteral("c'est un répertoire"));
    // Opening a FIFO or a device could block or never end.
    if (!info.isFile())
        return unreadable(path, QStringLiteral("ce n'est pas un fichier ordinaire"));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const bool denied = file.error() == QFileDevice::PermissionsError || !info.isReadable();
        return unreadable(path, denied ? QStringLiteral("accès refusé") : file.errorString());
    }
    if (kind == PictureKind::Fits)  // read in place by CFITSIO: no copy of the file in memory
        return linearOrError(decodeFitsFile(path), render);
    if (file.size() > kMaxPictureBytes)
        return undecodable(QStringLiteral("Fichier image trop grand (%1 octets)").arg(file.size()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return unreadable(path, file.errorString());
    return decodeBytes(bytes, kind, scaleDenom, render);
}

}  // namespace

void setPictureMemoryLimit()
{
    // Qt counts in MiB; its default (256) would refuse pictures that our own limit allows.
    QImageReader::setAllocationLimit(int(kMaxPictureBytes >> 20));
}

PictureKind pictureKind(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (parseFrameEntry(name))
        return PictureKind::VideoFrame;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return PictureKind::Unknown;
    const QString ext = name.mid(dot + 1).toLower();
    if (ext == QLatin1String("bmp"))
        return PictureKind::Bitmap;
    if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        return PictureKind::Jpeg;
    if (ext == QLatin1String("ico"))
        return PictureKind::Icon;
    if (ext == QLatin1String("wmf") || ext == QLatin1String("emf"))
        return PictureKind::Metafile;
    if (ext == QLatin1String("fit") || ext == QLatin1String("fits") || ext == QLatin1String("fts") ||
        ext == QLatin1String("fz"))
        return PictureKind::Fits;
    if (ext == QLatin1String("tif") || ext == QLatin1String("tiff"))
        return PictureKind::Tiff;
    if (ext == QLatin1String("png"))
        return PictureKind::Png;
    return PictureKind::Unknown;
}

PictureResult loadPictureFromBytes(const QByteArray& bytes, PictureKind kind, int scaleDenom)
{
    return decodeBytes(bytes, kind, scaleDenom, true);
}

PictureResult loadPicture(const QString& path, int scaleDenom)
{
    return loadFile(path, scaleDenom, true);
}

PictureResult loadPictureData(const QString& path)
{
    return loadFile(path, 1, false);
}

bool loadPictureFrame8(const QString& path, Frame8& out, QString& error)
{
    const PictureResult r = loadPicture(path);
    if (!r.ok()) {
        error = r.errorText;
        return false;
    }
    const bool grey = r.image.allGray();
    const QImage img = r.image.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_BGR888);
    out.reset(img.width(), img.height(), grey ? 1 : 3);
    for (int y = 0; y < img.height(); ++y)
        std::memcpy(out.row(y), img.constScanLine(y), size_t(img.width()) * size_t(out.channels));
    return true;
}
