#pragma once
// FITS files of one colour channel of a 24-bit picture: a primary header of one 2880-byte block
// holding eight cards, then width × height big-endian integer samples of 1, 2 or 4 bytes,
// bottom row first, zero-padded to a whole number of 2880-byte blocks.
#include "convert/ColourFilter.h"

#include <QByteArray>
#include <QImage>
#include <QString>

constexpr int kFitsBlock = 2880;
constexpr int kFitsCard = 80;

enum class FitsChannel { Red, Green, Blue, Grey };

// The channels in the order their files are written, with their bit in FitChannels and the ending
// of their file name.
struct FitsChannelFile {
    FitsChannel channel;
    int bit;
    const char* suffix;
};
extern const FitsChannelFile kFitsChannelFiles[4];

// Bytes per sample from the stored setting: 2 and 4 stand, anything else is 1 (8 bits).
int fitsBytesPerPixel(int stored);

// The header block, standard FITS that other astronomy programs read: SIMPLE, BITPIX
// (8 × bytesPerPixel), NAXIS 2, NAXIS1 width, NAXIS2 height, ORIGIN the source's name as a quoted
// string (printable ASCII, cut to fit its card), the program's comment in ASCII, END.
QByteArray fitsHeader(int bytesPerPixel, int width, int height, const QString& sourceName);

// Size of the data part: width × height × bytesPerPixel rounded up to whole blocks.
qsizetype fitsDataSize(int width, int height, int bytesPerPixel);

// Fills `data` (fitsDataSize bytes) with one channel of `rgb` (best given as Format_RGB888): cleared, then each
// sample's value in its last byte, rows from the bottom one up, each row left to right.
void fillFitsData(char* data, const QImage& rgb, FitsChannel channel, int bytesPerPixel,
                  const ColourWeights& weights);

// A whole file: header then data.
QByteArray fitsFile(const QImage& rgb, FitsChannel channel, int bytesPerPixel, const ColourWeights& weights,
                    const QString& sourceName);
