#pragma once
// The files the extractor writes for frames: 24-bit BMP, named stem + "_" + five-digit frame number.
#include "video/Frame8.h"

#include <QString>
#include <cstdint>
#include <vector>

// "stem_00042.bmp" (more digits past 99999).
QString frameFileName(const QString& stem, int64_t number);

// The bytes of a 24-bit bottom-up BMP of the frame (grey frames as three equal samples), into out.
void encodeBmp24(const Frame8& frame, std::vector<uint8_t>& out);
