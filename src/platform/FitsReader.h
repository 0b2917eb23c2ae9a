#pragma once
// FITS frames through CFITSIO: the primary image, or the first image extension when the primary
// holds none (tile-compressed ".fz" files included). BITPIX 8, 16, 32, −32 and −64 with BZERO and
// BSCALE applied; two axes (grey) or three with 1 or 3 planes (colour). Unsigned data of up to 16
// bits without BLANK stays 16-bit, everything else becomes float with NaN for blank pixels. A
// BAYERPAT keyword (with XBAYROFF/YBAYROFF) marks a one-plane frame as a colour mosaic. Rows are
// kept in file order.
#include "platform/LinearImage.h"

#include <QByteArray>
#include <QString>

struct LinearDecode {
    bool ok = false;
    LinearImage image;
    QString errorText;  // why it failed, in French
};

// Decodes a FITS file; the size is checked from the header before any pixel memory is taken, and
// data cut short is an error.
LinearDecode decodeFitsFile(const QString& path);
// The same on the bytes of one in memory.
LinearDecode decodeFits(const QByteArray& bytes);

// The mosaic named by a BAYERPAT value, moved by the X and Y offsets of its origin (odd offsets
// swap columns or rows of the 2 × 2 cell). None for an unknown name.
BayerPattern bayerFromHeader(const QString& name, int xOffset, int yOffset);
