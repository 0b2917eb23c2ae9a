#pragma once
// TIFF frames through libtiff, and 16-bit PNG frames through Qt's reader (which keeps every bit):
// 16-bit integer and 32-bit float data is linear and kept as such; 8-bit data is an ordinary
// picture. Grey or RGB (an alpha channel is ignored), strips or tiles, planes interleaved or apart.
#include "platform/FitsReader.h"

#include <QImage>

struct DeepDecode {
    LinearDecode linear;  // filled (ok) for 16-bit and float data
    QImage picture;       // filled for 8-bit data
};

DeepDecode decodeTiff(const QByteArray& bytes);

// The linear data of a 16-bit picture Qt has read (Grayscale16, RGBX64, RGBA64); a null image for
// any other format.
LinearImage linearFromQImage(const QImage& image);
