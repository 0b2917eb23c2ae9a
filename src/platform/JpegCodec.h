#pragma once
// A small wrapper over the libjpeg API (libjpeg-turbo): decode to 24-bit RGB with optional DCT
// scaling, read the size from the header alone, and encode at a quality with every other setting
// at the library's defaults. libjpeg's fatal errors never leave this layer: they come back as
// results carrying libjpeg's message number.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

struct JpegDecodeResult {
    QImage image;          // Format_RGB888; null on failure
    int errorCode = 0;     // libjpeg message number of the failure, 0 when none applies
    QString errorText;     // "JPEG error #n", or a French reason when libjpeg gave no number
    bool ok() const { return !image.isNull(); }
};

struct JpegHeader {
    QSize size;            // full (unscaled) size; invalid on failure
    int components = 0;    // 1 for grey, 3 for colour, 4 for CMYK
    int errorCode = 0;
    QString errorText;
    bool ok() const { return size.isValid(); }
};

struct JpegEncodeResult {
    bool ok = false;
    int errorCode = 0;     // libjpeg message number of an encoding failure
    int systemError = 0;   // errno of a failure to write the file
    QString errorText;     // libjpeg's message, or the file error's text (fileErrorText)
};

// Decodes a JPEG held in memory. scaleDenom 2, 4 or 8 decodes at 1/2, 1/4 or 1/8 of the size (each
// side rounded up); other values decode at full size. Pictures beyond the limits of Picture.h, and
// data that libjpeg only warns about but that leaves part of the picture missing (truncated files,
// corrupt entropy data), fail.
JpegDecodeResult decodeJpeg(const uchar* data, size_t size, int scaleDenom = 1);
inline JpegDecodeResult decodeJpeg(const QByteArray& bytes, int scaleDenom = 1)
{
    return decodeJpeg(reinterpret_cast<const uchar*>(bytes.constData()), size_t(bytes.size()), scaleDenom);
}

// Reads the size from the JPEG header without decoding any pixel.
JpegHeader readJpegHeader(const uchar* data, size_t size);
inline JpegHeader readJpegHeader(const QByteArray& bytes)
{
    return readJpegHeader(reinterpret_cast<const uchar*>(bytes.constData()), size_t(bytes.size()));
}
// Same from a file, reading only the first part of it unless the header runs further.
JpegHeader readJpegHeaderFromFile(const QString& path);

// The size a scaled decode gives: each side divided by scaleDenom (1, 2, 4 or 8), rounded up.
int normalizedJpegScale(int scaleDenom);
QSize jpegScaledSize(QSize fullSize, int scaleDenom);
// The largest DCT scale (1, 2, 4 or 8) that keeps the decoded picture at least as large as the
// picture reduced by the integer factor `reduction`, so that a thumbnail loses nothing by it.
int jpegScaleForReduction(int reduction);

// Encodes the image (any format; converted to 24-bit RGB, alpha dropped) at quality 0..100.
JpegEncodeResult encodeJpegToBytes(const QImage& image, int quality, QByteArray& out);
// Encodes and writes to path through SafeFile: an existing file is replaced only once the whole
// new file is written and synced.
JpegEncodeResult encodeJpeg(const QImage& image, int quality, const QString& path);

// Byte order of the pixels handed to encodeJpegRows: RGB888, a 24-bit bitmap's BGR, or a 32-bit
// picture's B, G, R, unused (QImage::Format_RGB32 on a little-endian machine).
enum class JpegPixels { Rgb, Bgr, Bgrx };
// Encodes width × height pixels read straight from memory: row y starts at firstRow + y × stride
// (stride may be negative, for bitmaps stored bottom row first). Same settings as encodeJpegToBytes.
JpegEncodeResult encodeJpegRows(const uchar* firstRow, qsizetype stride, int width, int height, JpegPixels pixels,
                                int quality, QByteArray& out);
