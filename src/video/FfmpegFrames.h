#pragma once
// A video other than SER (AVI, MP4, MOV, MKV, ...) read through FFmpeg's libraries one frame at a
// time in any order, for frame entries of a list. The packets are read once when the video is
// opened, which gives the frame index: for each frame its packet, key-frame flag and place in
// display order. A jump to frame N seeks the last key frame at or before it and decodes forward to
// exactly N; reading on from the frame last given decodes forward without seeking.
//
// One reader serves one thread at a time.
#include "platform/LinearImage.h"

#include <QString>
#include <cstdint>
#include <memory>

class FfmpegFrames {
public:
    FfmpegFrames();
    ~FfmpegFrames();
    FfmpegFrames(const FfmpegFrames&) = delete;
    FfmpegFrames& operator=(const FfmpegFrames&) = delete;

    // Opens the video and builds its frame index; false with a French reason (without the path).
    bool open(const QString& path, QString& error);
    int64_t frameCount() const;
    // Frame number (1-based) as 8 bits a sample: one grey plane for grey videos, R, G, B planes
    // otherwise (nominalMax 255). False with a French reason (without the path).
    bool read(int64_t number, LinearImage& out, QString& error);

private:
    struct State;
    std::unique_ptr<State> d_;
};
