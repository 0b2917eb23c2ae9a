#include "platform/TiffReader.h"

#include "platform/PictureLimits.h"

#include <tiffio.h>

#include <cstdarg>
#include <cstring>
#include <vector>

namespace {

const QString kBadTiff = QStringLiteral("Image TIFF incorrecte");

// The bytes of the file as libtiff reads them.
struct Memory {
    const char* data;
    toff_t size;
    toff_t pos = 0;
};

tsize_t readProc(thandle_t h, tdata_t buf, tsize_t n)
{
    auto* m = static_cast<Memory*>(h);
    if (n < 0 || m->pos >= m->size)
        return 0;
    const toff_t left = m->size - m->pos;
    const toff_t take = std::min<toff_t>(toff_t(n), left);
    std::memcpy(buf, m->data + m->pos, size_t(take));
    m->pos += take;
    return tsize_t(take);
}
tsize_t writeProc(thandle_t, tdata_t, tsize_t) { return 0; }
toff_t seekProc(thandle_t h, toff_t off, int whence)
{
    auto* m = static_cast<Memory*>(h);
    toff_t base = 0;
    if (whence == SEEK_CUR)
        base = m->pos;
    else if (whence == SEEK_END)
        base = m->size;
    m->pos = base + off;
    return m->pos;
}
int closeProc(thandle_t) { return 0; }
toff_t sizeProc(thandle_t h) { return static_cast<Memory*>(h)->size; }
int mapProc(thandle_t, tdata_t*, toff_t*) { return 0; }
void unmapProc(thandle_t, tdata_t, toff_t) {}

// libtiff's messages go to the decode that caused them, not to the terminal.
int errorHandler(TIFF*, void* user, const char*, const char* fmt, va_list ap)
{
    char text[256];
    std::vsnprintf(text, sizeof text, fmt, ap);
    auto* reason = static_cast<QString*>(user);
    if (reason->isEmpty())
        *reason = QString::fromLocal8Bit(text);
    return 1;
}
int warningHandler(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct TiffHandle {
    TIFF* t = nullptr;
    ~TiffHandle()
    {
        if (t)
            TIFFClose(t);
    }
};

// Copies the samples of one decoded block (a strip row or a tile) into the planar destination.
template <typename T>
struct Planar {
    FrameVector<T> data;
    int w = 0, h = 0, planes = 1;
    // samples: the block's pixels, spp interleaved samples each (1 when the planes are apart).
    void put(const uint8_t* block, int bx, int by, int bw, int bh, int spp, int plane)
    {
        const auto* s = reinterpret_cast<const T*>(block);
        for (int y = 0; y < bh && by + y < h; ++y)
            for (int x = 0; x < bw && bx + x < w; ++x) {
                const T* px = s + (size_t(y) * size_t(bw) + size_t(x)) * size_t(spp);
                if (spp == 1) {
                    data[(size_t(plane) * h + size_t(by + y)) * w + size_t(bx + x)] = px[0];
                } else {
                    for (int p = 0; p < planes; ++p)
                        data[(size_t(p) * h + size_t(by + y)) * w + size_t(bx + x)] = px[p];
                }
            }
    }
};

template <typename T>
bool readAll(TIFF* t, Planar<T>& out, int spp, bool separate)
{
    const int blockSpp = separate ? 1 : spp;
    const int passes = separate ? out.planes : 1;
    if (TIFFIsTiled(t)) {
        uint32_t tw = 0, th = 0;
        TIFFGetField(t, TIFFTAG_TILEWIDTH, &tw);
        TIFFGetField(t, TIFFTAG_TILELENGTH, &th);
        if (tw == 0 || th == 0 || tw > uint32_t(kMaxPictureSide) || th > uint32_t(kMaxPictureSide))
            return false;
        std::vector<uint8_t> buf(size_t(TIFFTileSize(t)));
        if (buf.size() < size_t(tw) * th * blockSpp * sizeof(T))
            return false;
        for (int s = 0; s < passes; ++s)
            for (uint32_t y = 0; y < uint32_t(out.h); y += th)
                for (uint32_t x = 0; x < uint32_t(out.w); x += tw) {
                    if (TIFFReadTile(t, buf.data(), x, y, 0, uint16_t(s)) < 0)
                        return false;
                    out.put(buf.data(), int(x), int(y), int(tw), int(th), blockSpp, s);
                }
        return true;
    }
    std::vector<uint8_t> buf(size_t(TIFFScanlineSize(t)));
    if (buf.size() < size_t(out.w) * blockSpp * sizeof(T))
        return false;
    for (int s = 0; s < passes; ++s)
        for (int y = 0; y < out.h; ++y) {
            if (TIFFReadScanline(t, buf.data(), uint32_t(y), uint16_t(s)) < 0)
                return false;
            out.put(buf.data(), 0, y, out.w, 1, blockSpp, s);
        }
    return true;
}

}  // namespace

DeepDecode decodeTiff(const QByteArray& bytes)
{
    DeepDecode out;
    out.linear.errorText = kBadTiff;
    Memory mem{bytes.constData(), toff_t(bytes.size())};
    QString reason;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, errorHandler, &reason);
    TIFFOpenOptionsSetWarningHandlerExtR(options, warningHandler, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(kMaxPictureBytes));
    TiffHandle h;
    h.t = TIFFClientOpenExt("image.tif", "rm", &mem, readProc, writeProc, seekProc, closeProc, sizeProc,
                            mapProc, unmapProc, options);
    TIFFOpenOptionsFree(options);
    auto fail = [&](const QString& why) {
        out.linear.ok = false;
        out.linear.image = LinearImage();
        out.picture = QImage();
        out.linear.errorText = kBadTiff + QStringLiteral(" (") + (reason.isEmpty() ? why : reason) + QLatin1Char(')');
        return out;
    };
    if (!h.t)
        return fail(QStringLiteral("en-tête illisible"));
    uint32_t w = 0, hgt = 0;
    uint16_t bits = 0, spp = 1, format = SAMPLEFORMAT_UINT, config = PLANARCONFIG_CONTIG, photometric = 0;
    TIFFGetField(h.t, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(h.t, TIFFTAG_IMAGELENGTH, &hgt);
    TIFFGetFieldDefaulted(h.t, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(h.t, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(h.t, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(h.t, TIFFTAG_PLANARCONFIG, &config);
    TIFFGetFieldDefaulted(h.t, TIFFTAG_PHOTOMETRIC, &photometric);
    const int planes = spp >= 3 ? 3 : 1;
    const bool separate = config == PLANARCONFIG_SEPARATE;
    if (photometric != PHOTOMETRIC_MINISBLACK && photometric != PHOTOMETRIC_RGB)
        return fail(QStringLiteral("codage des couleurs non pris en charge"));
    if (spp == 0 || spp > 4 || (photometric == PHOTOMETRIC_RGB) != (planes == 3))
        return fail(QStringLiteral("%1 échantillons par pixel").arg(spp));
    const int sampleBytes = bits / 8;
    if (!pictureSizeAllowed(w, hgt, std::max(sampleBytes, 1) * planes))
        return fail(QStringLiteral("Image trop grande (%1 x %2 pixels)").arg(w).arg(hgt));

    if (bits == 8 && format == SAMPLEFORMAT_UINT) {
        Planar<uint8_t> p{FrameVector<uint8_t>(size_t(w) * hgt * planes), int(w), int(hgt), planes};
        if (!readAll(h.t, p, spp, separate))
            return fail(QStringLiteral("données tronquées"));
        QImage img(int(w), int(hgt), planes == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
        if (img.isNull())
            return fail(QStringLiteral("mémoire insuffisante"));
        const size_t plane = size_t(w) * hgt;
        for (int y = 0; y < int(hgt); ++y) {
            const uint8_t* r = p.data.data() + size_t(y) * w;
            if (planes == 1) {
                std::memcpy(img.scanLine(y), r, w);
                continue;
            }
            auto* dst = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (uint32_t x = 0; x < w; ++x)
                dst[x] = qRgb(r[x], r[x + plane], r[x + 2 * plane]);
        }
        out.picture = std::move(img);
        out.linear.errorText.clear();
        return out;
    }
    LinearImage& li = out.linear.image;
    li.width = int(w);
    li.height = int(hgt);
    li.planes = planes;
    if (bits == 16 && format == SAMPLEFORMAT_UINT) {
        Planar<uint16_t> p{FrameVector<uint16_t>(size_t(w) * hgt * planes), int(w), int(hgt), planes};
        if (!readAll(h.t, p, spp, separate))
            return fail(QStringLiteral("données tronquées"));
        li.u16 = std::move(p.data);
        li.nominalMax = 65535;
    } else if (bits == 32 && format == SAMPLEFORMAT_IEEEFP) {
        Planar<float> p{FrameVector<float>(size_t(w) * hgt * planes), int(w), int(hgt), planes};
        if (!readAll(h.t, p, spp, separate))
            return fail(QStringLiteral("données tronquées"));
        li.f32 = std::move(p.data);
    } else {
        return fail(QStringLiteral("%1 bits par échantillon non pris en charge").arg(bits));
    }
    out.linear.ok = true;
    out.linear.errorText.clear();
    return out;
}

LinearImage linearFromQImage(const QImage& image)
{
    LinearImage li;
    const QImage::Format f = image.format();
    const bool grey = f == QImage::Format_Grayscale16;
    if (!grey && f != QImage::Format_RGBX64 && f != QImage::Format_RGBA64 && f != QImage::Format_RGBA64_Premultiplied)
        return li;
    li.width = image.width();
    li.height = image.height();
    li.planes = grey ? 1 : 3;
    li.nominalMax = 65535;
    const size_t plane = size_t(li.width) * li.height;
    li.u16.resize(plane * li.planes);
    for (int y = 0; y < li.height; ++y) {
        const auto* s = reinterpret_cast<const quint16*>(image.constScanLine(y));
        uint16_t* d = li.u16.data() + size_t(y) * li.width;
        for (int x = 0; x < li.width; ++x) {
            if (grey) {
                d[x] = s[x];
            } else {
                d[x] = s[4 * x];
                d[x + plane] = s[4 * x + 1];
                d[x + 2 * plane] = s[4 * x + 2];
            }
        }
    }
    return li;
}
