#pragma once
// The largest picture any decoder accepts: 32768 pixels a side and 1 GiB decoded; larger ones are
// undecodable. Checked on the size a header claims, before any pixel memory is allocated.
#include <QtGlobal>

constexpr int kMaxPictureSide = 32768;
constexpr qint64 kMaxPictureBytes = qint64(1) << 30;

// True when a picture of width × height at bytesPerPixel stays within both limits.
inline bool pictureSizeAllowed(qint64 width, qint64 height, int bytesPerPixel)
{
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        return false;
    const qint64 stride = (width * bytesPerPixel + 3) & ~qint64(3);  // rows of a QImage are 4-aligned
    return stride * height <= kMaxPictureBytes;
}
