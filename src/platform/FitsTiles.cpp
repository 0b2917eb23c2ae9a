#include "platform/FitsTiles.h"

#include <QRegularExpression>

#include <zlib.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Bytes of one element of a table column of CFITSIO's TYPE.
LONGLONG elementBytes(int type)
{
    switch (std::abs(type)) {
    case TSHORT:
        return 2;
    case TLONG:
    case TINT:
    case TFLOAT:
        return 4;
    case TDOUBLE:
    case TLONGLONG:
    case TCOMPLEX:
        return 8;
    case TDBLCOMPLEX:
        return 16;
    default:
        return 1;
    }
}

// Whether an 80-character header CARD is named NAME (any case), and if so whether its value is a
// whole count of one or more: CFITSIO reads a value it cannot convert as zero.
enum class CountCard { OtherName, Count, NotCount };

CountCard countCard(const char* card, const char* name)
{
    const size_t n = std::strlen(name);
    if (qstrnicmp(card, name, uint(n)) != 0 || (card[n] != ' ' && card[n] != '='))
        return CountCard::OtherName;
    const char* eq = static_cast<const char*>(std::memchr(card, '=', 80));
    if (!eq)
        return CountCard::NotCount;
    char text[81] = {};
    std::memcpy(text, eq + 1, size_t(card + 80 - (eq + 1)));
    if (char* comment = std::strchr(text, '/'))
        *comment = '\0';
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    while (end != text && *end == ' ')
        ++end;
    return end != text && *end == '\0' && value >= 1 && value <= 2147483647.0 ? CountCard::Count : CountCard::NotCount;
}

// Whether a table header CARD is one CFITSIO copies safely: it copies a column's name into a buffer
// of 70 bytes and its null string into one of 20 without checking their length. The standard makes
// names, formats, units and shapes quoted strings (68 characters at most), which fit.
bool columnCardSafe(const char* card)
{
    const char* eq = static_cast<const char*>(std::memchr(card, '=', 80));
    if (card[0] != 'T' || !eq)
        return true;
    QByteArray value(eq + 1, int(card + 80 - (eq + 1)));
    value = value.trimmed();
    for (const char* key : {"TTYPE", "TFORM", "TUNIT", "TDISP", "TDIM"}) {
        const int n = int(std::strlen(key));
        if (std::strncmp(card, key, size_t(n)) == 0 && std::isdigit(uchar(card[n])))
            return value.startsWith('\'');
    }
    if (std::strncmp(card, "TNULL", 5) == 0 && std::isdigit(uchar(card[5])))
        return value.split('/').value(0).trimmed().size() <= 16;
    return true;
}

// Whether a header CARD that CFITSIO reads as a number, when it describes a table or a compressed
// image, holds one (or a quoted string, or a logical): CFITSIO overflows a buffer when it reports a
// long value it cannot convert.
bool numberCardSafe(const char* card)
{
    const char* eq = static_cast<const char*>(std::memchr(card, '=', 80));
    const QByteArray key = QByteArray(card, 8).trimmed();
    static const QByteArray kStructure[] = {"BITPIX", "NAXIS", "PCOUNT", "GCOUNT", "TFIELDS", "THEAP"};
    bool read = key.startsWith('Z') || key.startsWith("NAXIS") || key.startsWith("TSCAL") ||
                key.startsWith("TZERO") || key.startsWith("TBCOL");
    for (const QByteArray& k : kStructure)
        read = read || key == k;
    if (!read || !eq)
        return true;
    const QByteArray value = QByteArray(eq + 1, int(card + 80 - (eq + 1))).split('/').value(0).trimmed();
    if (value.isEmpty() || value.startsWith('\'') || value == "T" || value == "F")
        return true;
    char* end = nullptr;
    std::strtod(value.constData(), &end);
    return end == value.constData() + value.size();
}

// Whether a Rice tile C of CLEN bytes gives NX pixels in blocks of NBLOCK without reading past its
// end, read byte for byte the way CFITSIO's decoder reads it: that decoder only looks for the end
// of a damaged tile after a whole block, and a run of zero bytes takes it far beyond.
bool riceTileFits(const unsigned char* c, size_t clen, long nx, int nblock, int bytepix)
{
    const int fsbits = bytepix == 1 ? 3 : bytepix == 2 ? 4 : 5;
    const int fsmax = bytepix == 1 ? 6 : bytepix == 2 ? 14 : 25;
    const int bbits = 1 << fsbits;
    size_t pos = size_t(bytepix == 1 ? 1 : bytepix == 2 ? 2 : 4);  // the first pixel, as it is
    if (clen <= pos)
        return false;
    uint32_t b = c[pos++];
    int nbits = 8;
    for (long i = 0; i < nx;) {
        nbits -= fsbits;
        for (; nbits < 0; nbits += 8) {
            if (pos >= clen)
                return false;
            b = (b << 8) | c[pos++];
        }
        const int fs = int(b >> nbits) - 1;
        b &= (1u << nbits) - 1;
        const long imax = std::min<long>(i + nblock, nx);
        if (fs < 0) {
            i = imax;
        } else if (fs == fsmax) {  // pixels as they are, bbits each
            for (; i < imax; ++i) {
                for (int k = bbits - nbits - 8; k >= 0; k -= 8)
                    if (pos++ >= clen)
                        return false;
                if (nbits > 0) {
                    if (pos >= clen)
                        return false;
                    b = c[pos++] & ((1u << nbits) - 1);
                } else {
                    b = 0;
                }
            }
        } else {
            for (; i < imax; ++i) {
                while (b == 0) {
                    if (pos >= clen)
                        return false;
                    nbits += 8;
                    b = c[pos++];
                }
                nbits = 31 - __builtin_clz(b);  // the leading one bit, dropped
                b ^= 1u << nbits;
                for (nbits -= fs; nbits < 0; nbits += 8) {
                    if (pos >= clen)
                        return false;
                    b = (b << 8) | c[pos++];
                }
                b &= (1u << nbits) - 1;
            }
        }
    }
    return true;
}

// Whether a GZIP tile's BYTES are one whole gzip stream that inflates to at most LIMIT bytes: what
// CFITSIO's GZIP decoder needs to come to an end.
bool gzipTileInflates(std::vector<unsigned char>& bytes, LONGLONG limit)
{
    z_stream z = {};
    if (inflateInit2(&z, 15 + 16) != Z_OK)
        return false;
    std::vector<unsigned char> out(1 << 16);
    z.next_in = bytes.data();
    z.avail_in = uInt(bytes.size());
    LONGLONG produced = 0;
    int result = Z_OK;
    while (result == Z_OK && produced <= limit) {
        z.next_out = out.data();
        z.avail_out = uInt(out.size());
        result = inflate(&z, Z_NO_FLUSH);
        produced += LONGLONG(out.size() - z.avail_out);
    }
    inflateEnd(&z);
    return result == Z_STREAM_END && produced <= limit;
}

}  // namespace

QString extensionHeaderFault(const QByteArray& name, LONGLONG start)
{
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    bool tilesSafe = true, rice = false, blockSafe = true, columnsSafe = true, ended = false;
    bool unreadKind = false;  // a compression this reader leaves alone
    QString kindName;
    char block[2880];
    for (LONGLONG at = start; tilesSafe && columnsSafe && !ended; at += sizeof block) {
        if (::pread(fd, block, sizeof block, off_t(at)) != ssize_t(sizeof block))
            break;
        for (const char* card = block; card < block + sizeof block && !ended; card += 80) {
            ended = std::memcmp(card, "END     ", 8) == 0;
            if (qstrnicmp(card, "ZCMPTYPE", 8) == 0) {
                const QByteArray type = QByteArray(card + 10, 70).split('\'').value(1).trimmed().toUpper();
                rice = rice || type.startsWith("RICE");
                if (!type.startsWith("RICE") && !type.startsWith("GZIP") && type != "NOCOMPRESS") {
                    unreadKind = true;
                    kindName = QString::fromLatin1(type).remove(QRegularExpression(QStringLiteral("[^A-Z0-9_]")));
                }
            }
            columnsSafe = columnsSafe && columnCardSafe(card) && numberCardSafe(card);
            blockSafe = blockSafe && countCard(card, "ZVAL1") != CountCard::NotCount;
            for (char axis = '1'; axis <= '9'; ++axis) {  // an axis's length is its default tile size
                const char tile[] = {'Z', 'T', 'I', 'L', 'E', axis, '\0'};
                const char length[] = {'Z', 'N', 'A', 'X', 'I', 'S', axis, '\0'};
                tilesSafe = tilesSafe && countCard(card, tile) != CountCard::NotCount &&
                            countCard(card, length) != CountCard::NotCount;
            }
        }
    }
    ::close(fd);
    if (!columnsSafe)
        return QStringLiteral("en-tête illisible");
    if (unreadKind)
        return kindName.isEmpty() ? QStringLiteral("compression inconnue")
                                  : QStringLiteral("compression %1 non prise en charge").arg(kindName);
    return tilesSafe && (blockSafe || !rice) ? QString() : QStringLiteral("taille de tuile illisible");
}

QString compressedTilesFault(fitsfile* f, const QByteArray& name, LONGLONG dataStart, LONGLONG fileSize, int& status)
{
    LONGLONG rows = 0;
    if (fits_get_num_rowsll(f, &rows, &status))
        return {};
    const LONGLONG room = fileSize - dataStart;
    char kind[FLEN_VALUE] = {};
    int missing = 0;
    if (fits_read_key(f, TSTRING, "ZCMPTYPE", kind, nullptr, &missing))
        fits_clear_errmsg();
    const bool gzip = QByteArray(kind).trimmed().toUpper().startsWith("GZIP");
    const long table = fitsKey<long>(f, TLONG, "NAXIS1", 0) * fitsKey<long>(f, TLONG, "NAXIS2", 0);
    const LONGLONG heap = fitsKey<long>(f, TLONG, "THEAP", table);
    const bool rice = QByteArray(kind).trimmed().toUpper().startsWith("RICE");
    int blocksize = int(fitsKey<long>(f, TLONG, "ZVAL1", 32)), bytepix = int(fitsKey<long>(f, TLONG, "ZVAL2", 4));
    if (blocksize < 16 && bytepix > 8)
        std::swap(blocksize, bytepix);  // as CFITSIO reads early files that wrote them the other way
    LONGLONG tileBytes = 8;  // the largest pixel, times the pixels of the largest tile
    const int axes = std::clamp(int(fitsKey<long>(f, TLONG, "ZNAXIS", 0)), 0, 6);
    long size[6] = {}, tile[6] = {};
    for (int axis = 0; axis < axes; ++axis) {
        size[axis] = std::max(1L, fitsKey<long>(f, TLONG, QByteArray("ZNAXIS" + QByteArray::number(axis + 1)).constData(), 1));
        tile[axis] = std::clamp(fitsKey<long>(f, TLONG, QByteArray("ZTILE" + QByteArray::number(axis + 1)).constData(),
                                              axis == 0 ? size[axis] : 1),
                                1L, size[axis]);
        tileBytes = std::min<LONGLONG>(tileBytes * tile[axis], LONGLONG(1) << 40);
    }
    // The pixels of the tile in table row ROW: tiles at the far edges are cut to the image.
    auto tilePixels = [&](LONGLONG row) {
        LONGLONG index = row - 1, pixels = 1;
        for (int axis = 0; axis < axes; ++axis) {
            const long across = (size[axis] - 1) / tile[axis] + 1;
            pixels *= std::min<LONGLONG>(tile[axis], size[axis] - (index % across) * tile[axis]);
            index /= across;
        }
        return pixels;
    };
    const int fd = gzip || rice ? ::open(name.constData(), O_RDONLY | O_CLOEXEC) : -1;
    std::vector<unsigned char> bytes;
    QString fault;
    for (const char* column : {"COMPRESSED_DATA", "GZIP_COMPRESSED_DATA", "UNCOMPRESSED_DATA"}) {
        int col = 0;
        missing = 0;
        if (fits_get_colnum(f, CASEINSEN, const_cast<char*>(column), &col, &missing)) {
            fits_clear_errmsg();
            continue;
        }
        int type = 0;
        LONGLONG repeat = 0, width = 0;
        if (fits_get_coltypell(f, col, &type, &repeat, &width, &status))
            break;
        if (type >= 0)
            continue;  // a fixed column: its bytes are inside the table already
        const LONGLONG unit = elementBytes(type);
        // GZIP tiles are in the compressed columns, Rice ones in the first only.
        const bool inflated = gzip && std::strcmp(column, "UNCOMPRESSED_DATA") != 0;
        const bool walked = rice && std::strcmp(column, "COMPRESSED_DATA") == 0;
        for (LONGLONG row = 1; row <= rows && fault.isEmpty() && !status; ++row) {
            LONGLONG length = 0, offset = 0;
            if (fits_read_descriptll(f, col, row, &length, &offset, &status))
                break;
            if (length < 0 || offset < 0 || length > room / unit || offset > room - length * unit) {
                fault = QStringLiteral("tuile hors du fichier");
                continue;
            }
            if (length == 0 || !(inflated || walked))
                continue;
            bytes.resize(size_t(length * unit));
            const bool read =
                ::pread(fd, bytes.data(), bytes.size(), off_t(dataStart + heap + offset)) == ssize_t(bytes.size());
            if (inflated && !(read && gzipTileInflates(bytes, tileBytes)))
                fault = QStringLiteral("tuile GZIP illisible");
            else if (walked && !(read && riceTileFits(bytes.data(), bytes.size(), long(tilePixels(row)), blocksize, bytepix)))
                fault = QStringLiteral("tuile Rice illisible");
        }
        if (!fault.isEmpty() || status)
            break;
    }
    if (fd >= 0)
        ::close(fd);
    return fault;
}
