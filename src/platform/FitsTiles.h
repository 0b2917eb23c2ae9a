#pragma once
// Checks made on a FITS file before CFITSIO reads it, for the damaged files CFITSIO itself does not
// survive: it divides by header values and copies column names into fixed buffers as it reads a
// header, its PLIO and HCOMPRESS decoders read past their buffers, it allocates a tile's claimed
// length before reading it, and its GZIP decoder grows its buffer without end on a damaged stream.
#include <QByteArray>
#include <QString>

#include <fitsio.h>

// The keyword NAME of the HDU F is on, read as CFITSIO's TYPE (TLONG, TDOUBLE) into T, or FALLBACK
// when the HDU has none that reads so.
template <typename T>
T fitsKey(fitsfile* f, int type, const char* name, T fallback)
{
    int status = 0;
    T value{};
    if (fits_read_key(f, type, name, &value, nullptr, &status)) {
        fits_clear_errmsg();
        return fallback;
    }
    return value;
}

// The reason the extension header at START of the file NAME must not be given to CFITSIO, or an
// empty text. A header that cannot be read is left for CFITSIO to refuse.
QString extensionHeaderFault(const QByteArray& name, LONGLONG start);

// For the tile-compressed image F is on, whose table data starts at DATA_START in the file NAME of
// FILE_SIZE bytes: the reason its tiles must not be read, or an empty text (STATUS set when CFITSIO
// could not say). Every tile must lie within the file, and a GZIP tile must inflate to an end
// within the size of a tile.
QString compressedTilesFault(fitsfile* f, const QByteArray& name, LONGLONG dataStart, LONGLONG fileSize, int& status);
