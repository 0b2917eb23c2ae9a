#pragma once
// The pure halves of the BMP and JPEG conversions: bytes in, bytes out. Failures throw
// ProgramError with the decoder's or encoder's message ("Image bitmap incorrecte",
// "Image JPEG incorrecte (JPEG error #n)").
#include <QByteArray>
#include <QImage>

// A Windows bitmap file read as a picture, brought to 24-bit RGB (Format_RGB888).
QImage decodeBitmap24(const QByteArray& bmp);

// A 24-bit uncompressed Windows bitmap (bottom row first, rows padded to 4 bytes) of the picture.
QByteArray encodeBmp24(const QImage& picture);

// BMP file bytes to JPEG file bytes at quality 0..100 (held to that range), every other encoder
// setting at libjpeg's defaults.
QByteArray bmpToJpegBytes(const QByteArray& bmp, int quality);

// JPEG file bytes to 24-bit BMP file bytes.
QByteArray jpegToBmpBytes(const QByteArray& jpeg);
