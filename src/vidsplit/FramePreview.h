#pragma once
// The extractor's preview: a frame as a picture for the window.
#include "video/FrameSource.h"

#include <QImage>

// The frame as a picture.
QImage frameImage(const Frame8& frame);
// Frame number (1-based) of the video; a null picture with the reason in error when it cannot be had.
QImage readFrameImage(const QString& path, int64_t number, const SourceOptions& options, QString& error);
