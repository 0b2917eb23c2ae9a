#pragma once
// Kept frames written into a new SER video, in the order they were captured.
//
// A frame comes from a SER video, another video (AVI, ...) or a picture file. Frames of SER videos
// are copied byte for byte: same size, depth, colour kind and Bayer ColorID as their video, 16-bit
// samples little-endian with the LittleEndian flag set (what most readers expect; big-endian
// videos, as the reader tells them, are turned round), and their own times in the trailer. Picture
// files and frames of other videos are written at 8 bits, as "--join" does: grey when every frame
// is, RGB otherwise. Frames of different sizes, depths or colour kinds are refused, naming the
// first entry that does not fit.
#include "video/Frame8.h"

#include <QString>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// One frame to write: frame number (from 1) of the video at path, or the picture file at path
// when number is 0.
struct SerFrameSource {
    QString path;
    int64_t number = 0;
    bool operator==(const SerFrameSource&) const = default;
};

// The entry as messages name it: the picture's path, or "video.ser#00042" with its directory.
QString serSourceName(const SerFrameSource& source);

// The frames in the order they were captured, which stackers and the time stamps expect whatever
// order the list shows (sorted by sharpness, say). Frames of a video go by frame number, always.
// When every other entry's name ends with a frame number ("jupiter_00042.bmp", also with the
// " (2)" of a taken name), all go by the text before the number, then the number; otherwise the
// list's order is all there is: each video's frames are sorted among the places they hold, every
// other entry keeps its place.
std::vector<SerFrameSource> captureOrder(std::vector<SerFrameSource> frames);

// Decodes a picture file at 8 bits (grey, or B, G, R); false with a French reason.
using PictureLoader = std::function<bool(const QString& path, Frame8& out, QString& error)>;

struct SerWriteOptions {
    PictureLoader loadPicture;  // needed when a picture file is among the frames
    QString instrument;         // the header's Instrument when no SER video gives the header
    bool replace = false;       // the user agreed to replace an existing file (writeSerFile)
    // Called after each frame looked at or written: done of total steps.
    std::function<void(int64_t done, int64_t total)> progress;
    const std::atomic<bool>* stop = nullptr;  // set: ends the write after the frame in progress
};

struct SerWriteResult {
    int64_t frames = 0;
    int colorId = 0;
    int pixelDepth = 8;
    bool stopped = false;  // nothing was written
};

// The SER of frames (in the order given) through out: header, frames, trailer. Every frame is
// checked before the first byte goes out (picture files and frames of other videos decoded once
// for that, then again to be written). Throws ProgramError "entry : reason" for the first entry at
// fault, or what out throws. Stopped: out has received part of the file, which must be dropped.
SerWriteResult assembleSer(const std::vector<SerFrameSource>& frames, const SerWriteOptions& options,
                           const std::function<void(const void* data, size_t size)>& out);

// The same into a new file at path through the program's safe-write path: a temporary file beside
// it, checked writes, fsync, rename. An existing file is never replaced unless options.replace
// (the caller asked the user). Nothing is left behind when it fails or is stopped.
SerWriteResult writeSerFile(const QString& path, const std::vector<SerFrameSource>& frames,
                            const SerWriteOptions& options);
