#pragma once
// Frames of videos read in place, for the list's frame entries ("jupiter.ser#00042"), as the
// linear data the measures and the stretch work on.
//
//  - SER: the samples as stored. 8-bit data as 16-bit samples of nominalMax 255; 10 to 16-bit data
//    kept linear, nominalMax from the depth the data really uses (4095, 65535, ...), in the byte
//    order the reader tells from the data; Bayer videos (ColorID 8..11) as one plane with their
//    pattern, RGB and BGR videos as R, G, B planes.
//  - Other videos (AVI, MP4, MOV, MKV, ...) through FFmpeg, decoded to 8 bits: one grey plane for
//    grey videos, R, G, B planes otherwise; frame N is found through a frame index built once.
//
// Open videos are kept per path (at most a few dozen, the least used closed first) until clear().
// Every read first looks at the file again: a video removed, replaced or shortened since it was
// opened is opened anew or gives its error, never stale frames or a crash. Safe from any number of
// threads: SER frames are read with pread, each thread on its own, at the speed of memory; the
// frames of one other video are decoded one thread at a time.
#include "platform/LinearImage.h"

#include <QString>
#include <cstdint>
#include <memory>

class VideoFrames {
public:
    VideoFrames();
    ~VideoFrames();
    VideoFrames(const VideoFrames&) = delete;
    VideoFrames& operator=(const VideoFrames&) = delete;

    // Frame number (1-based) of the video at path into out (its buffers are reused). False with a
    // French message "path : reason" when it cannot be had; out is then unspecified.
    bool read(const QString& path, int64_t number, LinearImage& out, QString& error);
    // Frames the video holds: SER from its header and size, others from the frame index. -1 with
    // a French message "path : reason" when the video cannot be read.
    int64_t frameCount(const QString& path, QString& error);
    // Closes every open video (the list was replaced).
    void clear();

private:
    struct Video;
    struct Cache;
    std::shared_ptr<Video> video(const QString& path, QString& error);
    std::unique_ptr<Cache> cache_;
};

// The program's cache of open videos, shared by its threads.
VideoFrames& videoFrames();
