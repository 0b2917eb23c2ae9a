#pragma once
// The files the extractor writes for frames: BMP (8-bit grey with a grey palette for grey frames,
// 24-bit otherwise), named stem + "_" + five-digit frame number.
#include "video/Frame8.h"

#include <QString>
#include <cstdint>
#include <vector>

// "stem_00042.bmp" (more digits past 99999).
QString frameFileName(const QString& stem, int64_t number);

// The bytes of a bottom-up BMP of the frame, into out.
void encodeBmp(const Frame8& frame, std::vector<uint8_t>& out);
