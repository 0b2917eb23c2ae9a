#include "platform/FitsReader.h"

#include "platform/FitsTiles.h"

#include "platform/PictureLimits.h"

#include <QFile>

#include <fitsio.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

const QString kBadFits = QStringLiteral("Image FITS incorrecte");

QString badFits(const QString& why) { return kBadFits + QStringLiteral(" (") + why + QLatin1Char(')'); }

// CFITSIO's own short reason for a status, for the error text.
QString cfitsioReason(int status)
{
    char text[FLEN_STATUS] = {};
    fits_get_errstatus(status, text);
    fits_clear_errmsg();  // its message stack is per thread and would only grow
    return QString::fromLatin1(text);
}

// Closes the file on every way out.
struct FitsHandle {
    fitsfile* f = nullptr;
    ~FitsHandle()
    {
        int status = 0;
        if (f)
            fits_close_file(f, &status);
    }
};

struct ImageHdu {
    int bitpix = 0;
    int equivType = 0;
    int naxis = 0;
    long naxes[3] = {0, 0, 0};
};

// Moves to the first HDU that holds an image with at least one pixel. The HDUs are visited one by
// one, each header checked before CFITSIO reads it (asking CFITSIO for their count would read them
// all unchecked).
bool findImage(fitsfile* f, const QByteArray& name, ImageHdu& hdu, int& status, QString& fault)
{
    for (int i = 1;; ++i) {
        if (i > 1) {
            LONGLONG headStart = 0, dataStart = 0, next = 0;
            if (fits_get_hduaddrll(f, &headStart, &dataStart, &next, &status))
                return false;
            fault = extensionHeaderFault(name, next);
            if (!fault.isEmpty())
                return false;
        }
        int type = 0;
        if (fits_movabs_hdu(f, i, &type, &status)) {
            if (status == END_OF_FILE)
                status = 0;  // no more HDUs
            return false;
        }
        if (type != IMAGE_HDU)
            continue;
        int naxis = 0;
        if (fits_get_img_dim(f, &naxis, &status))
            return false;
        if (naxis == 0)
            continue;  // a primary header with the data in extensions
        hdu.naxis = naxis;
        long naxes[3] = {0, 0, 0};
        if (fits_get_img_param(f, 3, &hdu.bitpix, &naxis, naxes, &status) ||
            fits_get_img_equivtype(f, &hdu.equivType, &status))
            return false;
        for (int k = 0; k < 3; ++k)
            hdu.naxes[k] = naxes[k];
        return true;
    }
}

bool hasKey(fitsfile* f, const char* name)
{
    int status = 0;
    char card[FLEN_CARD] = {};
    const bool found = fits_read_card(f, name, card, &status) == 0;
    fits_clear_errmsg();
    return found;
}

QString stringKey(fitsfile* f, const char* name)
{
    int status = 0;
    char value[FLEN_VALUE] = {};
    if (fits_read_key(f, TSTRING, name, value, nullptr, &status)) {
        fits_clear_errmsg();
        return {};
    }
    return QString::fromLatin1(value).trimmed();
}

}  // namespace

BayerPattern bayerFromHeader(const QString& name, int xOffset, int yOffset)
{
    QString p = name.trimmed().toUpper();
    static const QString kNames[] = {QStringLiteral("RGGB"), QStringLiteral("BGGR"),
                                     QStringLiteral("GRBG"), QStringLiteral("GBRG")};
    bool known = false;
    for (const QString& k : kNames)
        known = known || p == k;
    if (!known)
        return BayerPattern::None;
    // The cell read from an odd column or row swaps the colours of its columns or rows.
    if (xOffset & 1)
        p = QString(p[1]) + p[0] + p[3] + p[2];
    if (yOffset & 1)
        p = QString(p[2]) + p[3] + p[0] + p[1];
    if (p == kNames[0])
        return BayerPattern::RGGB;
    if (p == kNames[1])
        return BayerPattern::BGGR;
    if (p == kNames[2])
        return BayerPattern::GRBG;
    return BayerPattern::GBRG;
}

namespace {

LinearDecode decodeOpen(fitsfile* file, const QByteArray& name);

}  // namespace

LinearDecode decodeFitsFile(const QString& path)
{
    LinearDecode out;
    FitsHandle h;
    int status = 0;
    // The disk driver, never the memory one: CFITSIO's memory reads are not bounded by the
    // buffer's size, so a file cut short would be read past its end. The plain name is used as it
    // is (no filters or extension syntax in brackets).
    const QByteArray name = QFile::encodeName(path);
    if (fits_open_diskfile(&h.f, name.constData(), READONLY, &status)) {
        h.f = nullptr;
        out.errorText = badFits(cfitsioReason(status));
        return out;
    }
    return decodeOpen(h.f, name);
}

LinearDecode decodeFits(const QByteArray& bytes)
{
    // Through an anonymous file in memory, so that the same safe driver reads it.
    const int fd = memfd_create("velmoran-fits", MFD_CLOEXEC);
    if (fd < 0) {
        LinearDecode out;
        out.errorText = badFits(QString::fromLocal8Bit(std::strerror(errno)));
        return out;
    }
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            break;
        done += n;
    }
    LinearDecode out = done == bytes.size() ? decodeFitsFile(QStringLiteral("/proc/self/fd/%1").arg(fd))
                                            : LinearDecode{false, {}, badFits(QStringLiteral("mémoire insuffisante"))};
    ::close(fd);
    return out;
}

namespace {

// Unsigned 16-bit data stored plainly (BITPIX 16, BZERO 32768, no BLANK), what every camera
// program writes, is read straight from the file where CFITSIO says it starts: CFITSIO's own
// conversion loop takes ten times as long as the read. False when the file does not hold it all.
bool readPlainUnsigned16(fitsfile* f, const QByteArray& name, uint16_t* out, LONGLONG count)
{
    int status = 0;
    LONGLONG headStart = 0, dataStart = 0, dataEnd = 0;
    if (fits_get_hduaddrll(f, &headStart, &dataStart, &dataEnd, &status))
        return false;
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const size_t bytes = size_t(count) * 2;
    size_t done = 0;
    while (done < bytes) {
        const ssize_t n = ::pread(fd, reinterpret_cast<char*>(out) + done, bytes - done, off_t(dataStart) + off_t(done));
        if (n <= 0)
            break;
        done += size_t(n);
    }
    ::close(fd);
    if (done != bytes)
        return false;
    // Big-endian two's complement less 32768: swap the bytes and flip the sign bit.
    for (LONGLONG i = 0; i < count; ++i)
        out[i] = uint16_t(((out[i] & 0xff) << 8 | out[i] >> 8) ^ 0x8000);
    return true;
}

LinearDecode decodeOpen(fitsfile* file, const QByteArray& name)
{
    LinearDecode out;
    int status = 0;
    ImageHdu hdu;
    QString fault;
    if (!findImage(file, name, hdu, status, fault)) {
        if (fault.isEmpty())
            fault = status ? cfitsioReason(status) : QStringLiteral("aucune image");
        out.errorText = badFits(fault);
        return out;
    }
    if (hdu.naxis > 3) {
        out.errorText = badFits(QStringLiteral("%1 axes").arg(hdu.naxis));
        return out;
    }
    const long width = hdu.naxes[0];
    const long height = hdu.naxis >= 2 ? hdu.naxes[1] : 1;
    const long planes = hdu.naxis == 3 ? hdu.naxes[2] : 1;
    if (planes != 1 && planes != 3) {
        out.errorText = badFits(QStringLiteral("%1 plans").arg(planes));
        return out;
    }
    // A header that claims a blank value makes integer data float, so that blank pixels are NaN.
    const bool small = (hdu.equivType == BYTE_IMG || hdu.equivType == USHORT_IMG) && !hasKey(file, "BLANK");
    const int sampleBytes = small ? 2 : 4;
    if (width <= 0 || height <= 0 || !pictureSizeAllowed(width, height, sampleBytes * int(planes))) {
        out.errorText = QStringLiteral("Image trop grande (%1 x %2 pixels)").arg(width).arg(height);
        return out;
    }

    // What the header claims is checked against the file before the frame's memory is taken: a
    // small damaged file must not cost a gigabyte.
    const int compressed = fits_is_compressed_image(file, &status);
    struct stat st = {};
    LONGLONG headStart = 0, dataStart = 0, dataEnd = 0;
    if (::stat(name.constData(), &st) != 0 || fits_get_hduaddrll(file, &headStart, &dataStart, &dataEnd, &status)) {
        out.errorText = badFits(status ? cfitsioReason(status) : QString::fromLocal8Bit(std::strerror(errno)));
        return out;
    }
    const LONGLONG room = LONGLONG(st.st_size) - dataStart;
    const LONGLONG count = LONGLONG(width) * height * planes;
    if (compressed) {
        fault = compressedTilesFault(file, name, dataStart, LONGLONG(st.st_size), status);
        if (!fault.isEmpty() || status) {
            out.errorText = badFits(status ? cfitsioReason(status) : fault);
            return out;
        }
    } else if (count > room / (std::abs(hdu.bitpix) / 8)) {
        out.errorText = badFits(cfitsioReason(END_OF_FILE));
        return out;
    }

    LinearImage& img = out.image;
    img.width = int(width);
    img.height = int(height);
    img.planes = int(planes);
    long first[3] = {1, 1, 1};
    int anyNull = 0;
    if (small) {
        img.u16.resize(size_t(count));
        const bool plain = !compressed && hdu.bitpix == SHORT_IMG &&
                           fitsKey<double>(file, TDOUBLE, "BZERO", 0) == 32768 &&
                           fitsKey<double>(file, TDOUBLE, "BSCALE", 1) == 1;
        if (plain) {
            if (!readPlainUnsigned16(file, name, img.u16.data(), count))
                status = END_OF_FILE;  // cut short
        } else {
            unsigned short zero = 0;
            fits_read_pix(file, TUSHORT, first, count, &zero, img.u16.data(), &anyNull, &status);
        }
        img.nominalMax = hdu.equivType == BYTE_IMG ? 255 : 65535;
    } else {
        img.f32.resize(size_t(count));
        float blank = std::numeric_limits<float>::quiet_NaN();
        fits_read_pix(file, TFLOAT, first, count, &blank, img.f32.data(), &anyNull, &status);
        img.nominalMax = 0;
    }
    if (status) {
        // Truncated data or a broken compressed tile: nothing half-read is handed on.
        out.image = LinearImage();
        out.errorText = badFits(cfitsioReason(status));
        return out;
    }
    if (planes == 1) {
        const QString pattern = stringKey(file, "BAYERPAT");
        if (!pattern.isEmpty())
            img.bayer = bayerFromHeader(pattern, int(fitsKey<long>(file, TLONG, "XBAYROFF", 0)),
                                        int(fitsKey<long>(file, TLONG, "YBAYROFF", 0)));
        if (img.width < 2 || img.height < 2)
            img.bayer = BayerPattern::None;
    }
    out.ok = true;
    return out;
}

}  // namespace
