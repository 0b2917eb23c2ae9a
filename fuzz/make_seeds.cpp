// Writes a small seed corpus for the fuzzers into DIR/bmp, DIR/jpeg, DIR/ico, DIR/wmf, DIR/fits,
// DIR/tiff, DIR/png, DIR/ser,
// DIR/list, DIR/settings and DIR/journal: a few tiny files of each kind, in the variants the
// readers have separate paths for.
#include "list/ListFile.h"
#include "settings/Options.h"

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QtEndian>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include <jpeglib.h>
#include <fitsio.h>
#include <tiffio.h>

#include <cmath>
#include <vector>

namespace {

QImage testPicture(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 255 / std::max(1, w - 1), y * 255 / std::max(1, h - 1), 90));
    QPainter p(&img);
    p.setBrush(QColor(200, 120, 40));
    p.drawEllipse(QPoint(w / 2, h / 2), w / 4, h / 4);
    return img;
}

bool write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Encodes with libjpeg directly, so that the variants (progressive, arithmetic, restarts, grey,
// subsampling) each get a seed.
QByteArray jpeg(const QImage& source, bool grey, const std::function<void(jpeg_compress_struct&)>& tune)
{
    const QImage img = source.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    jpeg_compress_struct c {};
    jpeg_error_mgr err {};
    c.err = jpeg_std_error(&err);  // the seeds are well-formed; libjpeg's default exit is fine here
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = JDIMENSION(img.width());
    c.image_height = JDIMENSION(img.height());
    c.input_components = grey ? 1 : 3;
    c.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 75, TRUE);
    if (tune)
        tune(c);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(img.constScanLine(int(c.next_scanline)));
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    QByteArray out(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return out;
}

QByteArray bmpHeader(qint32 w, qint32 h, quint16 bpp, quint32 compression, quint32 offBits, quint32 dataSize)
{
    QByteArray hd(54, '\0');
    auto* p = reinterpret_cast<uchar*>(hd.data());
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(offBits + dataSize, p + 2);
    qToLittleEndian<quint32>(offBits, p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(w, p + 18);
    qToLittleEndian<qint32>(h, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(bpp, p + 28);
    qToLittleEndian<quint32>(compression, p + 30);
    qToLittleEndian<quint32>(dataSize, p + 34);
    return hd;
}

QByteArray rleBitmap(bool rle4)
{
    const int colours = rle4 ? 16 : 256;
    QByteArray palette;
    for (int i = 0; i < colours; ++i) {
        const char v = char(i * 255 / (colours - 1));
        palette += QByteArray(3, v) + QByteArray(1, '\0');
    }
    // A run, an absolute run, a delta, ends of line and the end of the bitmap.
    const QByteArray data = QByteArray::fromHex(rle4 ? "0412 0004 1234 0000 0201 0002 0100 0001"
                                                     : "0305 0003 010203 00 0000 0209 0002 0100 0001");
    return bmpHeader(6, 3, rle4 ? 4 : 8, rle4 ? 2 : 1, 54 + quint32(palette.size()), quint32(data.size()))
           + palette + data;
}

// A 16-bit bitmap with explicit RGB565 masks.
QByteArray bitfieldsBitmap()
{
    const int w = 5, h = 3;
    const int stride = ((w * 16 + 31) / 32) * 4;
    QByteArray masks(12, '\0');
    qToLittleEndian<quint32>(0xF800, masks.data());
    qToLittleEndian<quint32>(0x07E0, masks.data() + 4);
    qToLittleEndian<quint32>(0x001F, masks.data() + 8);
    QByteArray pixels(stride * h, '\0');
    for (int i = 0; i + 1 < pixels.size(); i += 2)
        qToLittleEndian<quint16>(quint16(i * 2731), pixels.data() + i);
    return bmpHeader(w, h, 16, 3, 54 + 12, quint32(pixels.size())) + masks + pixels;
}

QByteArray wmfRecord(quint16 function, std::initializer_list<qint16> params)
{
    QByteArray r(6 + 2 * int(params.size()), '\0');
    qToLittleEndian<quint32>(quint32(r.size() / 2), r.data());
    qToLittleEndian<quint16>(function, r.data() + 4);
    int i = 0;
    for (qint16 v : params)
        qToLittleEndian<qint16>(v, r.data() + 6 + 2 * i++);
    return r;
}

QByteArray wmf(bool placeable)
{
    QByteArray records;
    records += wmfRecord(0x020B, {0, 0});                    // SetWindowOrg
    records += wmfRecord(0x020C, {400, 600});                // SetWindowExt
    records += wmfRecord(0x02FC, {0, 0x00FF, 0, 0});         // CreateBrushIndirect
    records += wmfRecord(0x012D, {0});                       // SelectObject
    records += wmfRecord(0x041B, {300, 300, 10, 10});        // Rectangle
    records += wmfRecord(0x0418, {390, 590, 200, 320});      // Ellipse
    records += wmfRecord(0x0324, {3, 10, 10, 500, 50, 250, 350});  // Polygon of 3 points
    records += wmfRecord(0x0213, {100, 100});                // LineTo
    records += wmfRecord(0x0000, {});

    QByteArray header(18, '\0');
    qToLittleEndian<quint16>(1, header.data());
    qToLittleEndian<quint16>(9, header.data() + 2);
    qToLittleEndian<quint16>(0x0300, header.data() + 4);
    qToLittleEndian<quint32>(quint32((18 + records.size()) / 2), header.data() + 6);
    qToLittleEndian<quint16>(1, header.data() + 10);
    qToLittleEndian<quint32>(10, header.data() + 12);  // the polygon, 10 words
    if (!placeable)
        return header + records;

    QByteArray pl(22, '\0');
    auto* p = reinterpret_cast<uchar*>(pl.data());
    qToLittleEndian<quint32>(0x9AC6CDD7u, p);
    qToLittleEndian<qint16>(600, p + 10);
    qToLittleEndian<qint16>(400, p + 12);
    qToLittleEndian<quint16>(1440, p + 14);
    quint16 sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= qFromLittleEndian<quint16>(p + 2 * i);
    qToLittleEndian<quint16>(sum, p + 20);
    return pl + header + records;
}

// An icon whose one picture is a PNG (wider than its directory entry can say).
QByteArray iconWithPng(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    QByteArray ico(22, '\0');
    auto* p = reinterpret_cast<uchar*>(ico.data());
    qToLittleEndian<quint16>(1, p + 2);
    qToLittleEndian<quint16>(1, p + 4);
    qToLittleEndian<quint16>(1, p + 10);
    qToLittleEndian<quint16>(32, p + 12);
    qToLittleEndian<quint32>(quint32(png.size()), p + 14);
    qToLittleEndian<quint32>(22, p + 18);
    return ico + png;
}

// A small SER video: header, frames from sample(f, x, y, plane), optional trailer.
QByteArray ser(int colorId, int w, int h, int depth, int frames, int headerCount, bool bigEndian, bool trailer)
{
    QByteArray b(178, '\0');
    auto* p = reinterpret_cast<uchar*>(b.data());
    std::memcpy(p, "LUCAM-RECORDER", 14);
    qToLittleEndian<qint32>(colorId, p + 18);
    qToLittleEndian<qint32>(w, p + 26);
    qToLittleEndian<qint32>(h, p + 30);
    qToLittleEndian<qint32>(depth, p + 34);
    qToLittleEndian<qint32>(headerCount, p + 38);
    const int planes = colorId >= 100 ? 3 : 1;
    for (int f = 0; f < frames; ++f)
        for (int i = 0; i < w * h * planes; ++i) {
            const unsigned v = unsigned(i * 37 + f * 101) & (depth > 8 ? 0xFFF : 0xFF);
            if (depth <= 8)
                b.append(char(v));
            else if (bigEndian)
                b.append(char(v >> 8)).append(char(v));
            else
                b.append(char(v)).append(char(v >> 8));
        }
    if (trailer)
        for (int f = 0; f < frames; ++f) {
            char t[8];
            qToLittleEndian<qint64>(638000000000000000LL + f * 100000LL, t);
            b.append(t, 8);
        }
    return b;
}

}  // namespace

// A small TIFF: bits 8 or 16 (integers) or 32 (float), 1 or 3 samples, planes apart or not.
bool tiffSeed(const QString& path, int bits, int samples, bool separate)
{
    TIFF* t = TIFFOpen(path.toLocal8Bit().constData(), "w");
    if (!t)
        return false;
    const uint32_t w = 9, h = 5;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, bits == 32 ? SAMPLEFORMAT_IEEEFP : SAMPLEFORMAT_UINT);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, samples == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, separate ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 2);
    const int perRow = separate ? 1 : samples;
    std::vector<uint8_t> row(size_t(w) * perRow * (bits / 8));
    bool ok = true;
    for (int s = 0; s < (separate ? samples : 1); ++s)
        for (uint32_t y = 0; y < h; ++y) {
            for (size_t i = 0; i < row.size(); ++i)
                row[i] = uint8_t(i * 13 + y * 7 + s);
            if (bits == 32)  // keep the floats finite
                for (size_t i = 3; i < row.size(); i += 4)
                    row[i] = 0x3f;
            ok = ok && TIFFWriteScanline(t, row.data(), y, uint16_t(s)) >= 0;
        }
    TIFFClose(t);
    if (!ok)
        std::fprintf(stderr, "make_seeds: %s not written\n", qPrintable(path));
    return ok;
}

// A small FITS frame written by CFITSIO; COMPRESS, as "[compress R]", asks for tiles of that kind.
bool fitsSeed(const QString& path, int bitpix, int planes, const char* bayer = nullptr, const char* compress = nullptr)
{
    fitsfile* f = nullptr;
    int status = 0;
    const QByteArray name = "!" + path.toLocal8Bit() + (compress ? compress : "");
    long naxes[3] = {12, 9, planes};
    fits_create_file(&f, name.constData(), &status);
    fits_create_img(f, bitpix, planes > 1 ? 3 : 2, naxes, &status);
    if (bayer)
        fits_update_key(f, TSTRING, "BAYERPAT", const_cast<char*>(bayer), nullptr, &status);
    std::vector<double> data(size_t(12 * 9 * planes));
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = double((i * 37) % 200) + (i == 5 && bitpix < 0 ? std::nan("") : 0);
    if (compress) {  // the tile compressors take integers
        std::vector<unsigned short> whole(data.begin(), data.end());
        fits_write_img(f, TUSHORT, 1, LONGLONG(whole.size()), whole.data(), &status);
    } else {
        fits_write_img(f, TDOUBLE, 1, LONGLONG(data.size()), data.data(), &status);
    }
    fits_close_file(f, &status);
    if (status)
        std::fprintf(stderr, "make_seeds: %s: CFITSIO status %d\n", qPrintable(path), status);
    return status == 0;
}

// The tiles of FROM with the first tile's length claiming three gigabytes, as TO: a reader must
// refuse it without asking for the memory. The tile lengths are the first column of the tiles'
// table, the length ahead of the offset, both 32-bit big-endian.
bool longTileSeed(const QString& from, const QString& to)
{
    fitsfile* f = nullptr;
    int status = 0, type = 0;
    LONGLONG headStart = 0, dataStart = 0, dataEnd = 0;
    fits_open_diskfile(&f, from.toLocal8Bit().constData(), READONLY, &status);
    fits_movabs_hdu(f, 2, &type, &status);
    fits_get_hduaddrll(f, &headStart, &dataStart, &dataEnd, &status);
    fits_close_file(f, &status);
    QFile in(from);
    QByteArray bytes = in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    if (status || dataStart + 8 > bytes.size()) {
        std::fprintf(stderr, "make_seeds: %s not written\n", qPrintable(to));
        return false;
    }
    qToBigEndian<quint32>(3000000000u, bytes.data() + dataStart);
    return write(to, bytes);
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds DIR\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (const char* sub : {"bmp", "jpeg", "ico", "wmf", "fits", "tiff", "png", "ser", "list", "settings", "journal"})
        root.mkpath(QString::fromLatin1(sub));
    auto out = [&root](const char* name) { return root.filePath(QString::fromLatin1(name)); };
    bool ok = true;

    const QImage small = testPicture(24, 16);
    QImage mono = small.convertToFormat(QImage::Format_Mono);
    QImage indexed = small.convertToFormat(QImage::Format_Indexed8);
    QImage alpha = small.convertToFormat(QImage::Format_ARGB32);
    alpha.setPixel(0, 0, qRgba(10, 20, 30, 40));
    ok &= small.save(out("bmp/rgb24.bmp"), "BMP");
    ok &= mono.save(out("bmp/mono.bmp"), "BMP");
    ok &= indexed.save(out("bmp/indexed8.bmp"), "BMP");
    ok &= alpha.save(out("bmp/argb32.bmp"), "BMP");
    ok &= write(out("bmp/rle8.bmp"), rleBitmap(false));
    ok &= write(out("bmp/rle4.bmp"), rleBitmap(true));
    ok &= write(out("bmp/bitfields16.bmp"), bitfieldsBitmap());
    QFile rgb(out("bmp/rgb24.bmp"));
    if (rgb.open(QIODevice::ReadOnly)) {
        QByteArray topDown = rgb.readAll();
        qToLittleEndian<qint32>(-16, topDown.data() + 22);
        ok &= write(out("bmp/topdown.bmp"), topDown);
    }

    const QImage pic = testPicture(32, 24);
    ok &= write(out("jpeg/baseline420.jpg"), jpeg(pic, false, {}));
    ok &= write(out("jpeg/grey.jpg"), jpeg(testPicture(17, 13), true, {}));
    ok &= write(out("jpeg/progressive.jpg"), jpeg(pic, false, [](jpeg_compress_struct& c) { jpeg_simple_progression(&c); }));
    ok &= write(out("jpeg/arithmetic.jpg"), jpeg(pic, false, [](jpeg_compress_struct& c) { c.arith_code = TRUE; }));
    ok &= write(out("jpeg/restarts.jpg"), jpeg(pic, false, [](jpeg_compress_struct& c) { c.restart_in_rows = 1; }));
    ok &= write(out("jpeg/full444.jpg"), jpeg(pic, false, [](jpeg_compress_struct& c) {
        for (int i = 0; i < c.num_components; ++i)
            c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
    }));
    ok &= write(out("jpeg/optimized.jpg"), jpeg(pic, false, [](jpeg_compress_struct& c) { c.optimize_coding = TRUE; }));

    ok &= testPicture(16, 16).convertToFormat(QImage::Format_ARGB32).save(out("ico/16.ico"), "ICO");
    ok &= testPicture(32, 32).convertToFormat(QImage::Format_Indexed8).save(out("ico/32-indexed.ico"), "ICO");
    ok &= write(out("ico/png-inside.ico"), iconWithPng(testPicture(300, 20)));

    ok &= fitsSeed(out("fits/u8.fits"), BYTE_IMG, 1);
    ok &= fitsSeed(out("fits/u16.fits"), USHORT_IMG, 1);
    ok &= fitsSeed(out("fits/s16-rgb.fits"), SHORT_IMG, 3);
    ok &= fitsSeed(out("fits/i32.fits"), LONG_IMG, 1);
    ok &= fitsSeed(out("fits/f32.fits"), FLOAT_IMG, 3);
    ok &= fitsSeed(out("fits/f64.fits"), DOUBLE_IMG, 1);
    ok &= fitsSeed(out("fits/bayer.fits"), USHORT_IMG, 1, "GRBG");
    ok &= fitsSeed(out("fits/tiles.fz"), USHORT_IMG, 1, nullptr, "[compress R]");
    ok &= fitsSeed(out("fits/tiles-gzip.fz"), USHORT_IMG, 1, nullptr, "[compress G]");
    ok &= fitsSeed(out("fits/tiles-hcompress.fz"), USHORT_IMG, 1, nullptr, "[compress H]");
    ok &= fitsSeed(out("fits/tiles-plio.fz"), USHORT_IMG, 1, nullptr, "[compress P]");
    ok &= longTileSeed(out("fits/tiles.fz"), out("fits/long-tile.fz"));
    QImage deep(10, 7, QImage::Format_Grayscale16);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 10; ++x)
            reinterpret_cast<quint16*>(deep.scanLine(y))[x] = quint16(x * 6000 + y * 100);
    ok &= deep.save(out("png/grey16.png"), "PNG");
    ok &= deep.convertToFormat(QImage::Format_RGBX64).save(out("png/rgb16.png"), "PNG");
    ok &= small.save(out("png/rgb8.png"), "PNG");
    ok &= tiffSeed(out("tiff/grey16.tif"), 16, 1, false);
    ok &= tiffSeed(out("tiff/rgb8-planes.tif"), 8, 3, true);
    ok &= tiffSeed(out("tiff/float.tif"), 32, 1, false);

    ok &= write(out("wmf/placeable.wmf"), wmf(true));
    ok &= write(out("wmf/bare.wmf"), wmf(false));

    ok &= write(out("ser/mono8.ser"), ser(0, 8, 6, 8, 3, 3, false, true));
    ok &= write(out("ser/mono12-le.ser"), ser(0, 8, 6, 12, 3, 3, false, false));
    ok &= write(out("ser/mono16-be.ser"), ser(0, 8, 6, 16, 3, 0, true, false));
    ok &= write(out("ser/rgb.ser"), ser(100, 5, 4, 8, 2, 2, false, true));
    ok &= write(out("ser/bgr16.ser"), ser(101, 5, 4, 16, 2, 9, false, false));
    ok &= write(out("ser/bayer-rggb.ser"), ser(8, 7, 5, 8, 2, 2, false, false));
    ok &= write(out("ser/bayer-bggr16.ser"), ser(11, 6, 4, 10, 2, 2, true, true));

    const std::vector<ListEntry> entries = {
        {" ", "0000", "/home/astro/nuit/", "jupiter_0001.bmp", "1", " ", " "},
        {" ", "0001", "/home/astro/nuit/", "jupiter_0002.bmp", "0", "3", "10"},
        {" ", "0002", QString::fromUtf8("/données/Луна/"), QString::fromUtf8("Ã©.bmp"), "2", " ", " "},
        {" ", "0003", "C:\\old\\", QString::fromLatin1("Z\xF4ne.BMP"), "1", "12", "4"},
    };
    const QByteArray list = formatListFile(entries);
    ok &= write(out("list/four.lst"), list);
    ok &= write(out("list/empty.lst"), formatListFile(std::vector<ListEntry>()));
    ok &= write(out("list/headerless-lf.lst"), QByteArray("0000\n/d/\na.bmp\n1\n \n \n0001\n/d/\nb.bmp\n2\n4\n5\n"));
    ok &= write(out("list/lone-cr.lst"), QByteArray("0\r/d/\ra\r1\r2\r3\r"));
    ok &= write(out("list/long-header.lst"), QByteArray("2\r\nV\r\nv\r\n8\r\n7\r\n\r\nx\r\ny\r\n0\r\n/d/\r\na\r\n1\r\n2\r\n3\r\nX\r\n"));
    ok &= write(out("list/cut.lst"), list.left(list.size() - 9));

    ProgramOptions program;
    setDefaults(program);
    DesktopOptions desktop;
    setDefaults(desktop, 1920, 1080);
    ExtractorOptions extractor;
    setDefaults(extractor);
    program.LastListFile = QString::fromUtf8("/données/Ã©/liste.lst");
    const QByteArray settings = toBytes(program) + toBytes(desktop) + toBytes(extractor);
    ok &= write(out("settings/whole.INI"), settings);
    ok &= write(out("settings/program-only.INI"), toBytes(program));
    ok &= write(out("settings/with-tail.INI"), settings + "tail");
    ok &= write(out("settings/not-ours.INI"), QByteArray(600, 'x'));

    // Journals of the batch passes, as the passes, a recovery and an undo write them.
    const QByteArray sort = "H\t1\tTriZones\n"
                            "R\t0\tM\t/home/astro/nuit/a.bmp\t/home/astro/nuit/Zone1/a.bmp\t2049\t131\t246\t1767225600123456789\n"
                            "R\t1\tM\t/home/astro/nuit/b%09(1).bmp\t/home/astro/nuit/Zone2/b%09(1).bmp\t2049\t132\t246\t-5\n"
                            "R\t2\tM\t/home/astro/nuit/c.bmp\t/home/astro/nuit/Zone2/c.bmp\t-\t-\t-\t-\n"
                            "C\t/home/astro/nuit/Zone1/\n"
                            "D\t0\t/home/astro/nuit/Zone1/a.bmp\t2049\t131\t-\n"
                            "C\t/home/astro/nuit/Zone2/\n"
                            "D\t1\t/home/astro/nuit/Zone2/b%09(1) (2).bmp\t2049\t132\t-\n"
                            "F\t2\t2\n";
    ok &= write(out("journal/sort.journal"), sort + "E\n");
    ok &= write(out("journal/sort-undone.journal"),
                sort + "E\nU\t1\t/home/astro/nuit/b%09(1).bmp\nX\t0\t13\t/home/astro/nuit/Zone1/a.bmp\n");
    ok &= write(out("journal/cut.journal"), sort.left(sort.size() - 20));
    ok &= write(out("journal/cut-then-settled.journal"), sort.left(sort.size() - 20) + "!\nS\t2\nE\n");
    ok &= write(out("journal/trash.journal"),
                "H\t1\tCorbeille\n"
                "R\t0\tT\t/d/%C3%A9.bmp\t-\t64769\t7\t54\t1700000000000000000\n"
                "R\t1\tT\t/d/x.bmp\t-\t64769\t8\t54\t1700000000000000000\n"
                "D\t0\t/u/.local/share/Trash/files/%C3%A9.bmp\t64769\t7\t/u/.local/share/Trash/info/%C3%A9.bmp.trashinfo\n"
                "S\t1\nE\nU\t0\t/d/%C3%A9.bmp\nZ\n");
    ok &= write(out("journal/rename.journal"),
                "H\t1\tRenommer\nR\t0\tN\t/d/a.bmp\t/d/R0001.bmp\t1\t2\t3\t4\nD\t0\t/d/R0001.bmp\t1\t2\t-\nE\n");

    if (!ok) {
        std::fprintf(stderr, "make_seeds: could not write every seed\n");
        return 1;
    }
    return 0;
}
