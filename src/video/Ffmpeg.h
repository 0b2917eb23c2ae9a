#pragma once
// What the two FFmpeg readers (the extractor's sequential one and the program's indexed one) share.
#include <QString>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

struct SwsContext;

// The libraries' reason in the program's language for the errors a user meets; any other keeps
// FFmpeg's own (English) wording.
QString avText(int err);

// The conversion of frame to the pixel format to, as the ffmpeg tool converts frames it writes as
// BMP: bicubic, with the frame's colour matrix and range. Reuses cached when it fits; nullptr when
// the libraries cannot convert from the frame's format.
SwsContext* frameConversion(SwsContext* cached, const AVFrame* frame, AVPixelFormat to);

// Whether the frame holds grey levels only: a one-component format, or a palette of greys.
bool isGreyFrame(const AVFrame* frame);
