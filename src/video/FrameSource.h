#pragma once
// Where the extractor's frames come from: a SER video through our own reader (read from its file
// one frame at a time), any other video through FFmpeg's libraries, decoded one frame at a time.
#include "video/Frame8.h"
#include "video/SerFile.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

enum class FrameRead {
    Frame,   // a frame was read
    Broken,  // the next frame could not be decoded (the reason is in error); reading goes on after it
    End,     // no more frames (endError() says when the end came early)
};

struct SourceOptions {
    ByteOrder byteOrder = ByteOrder::Auto;  // 16-bit SER data
    bool grey = false;                      // grey frames: mosaics raw, colour as its grey level
};

class FrameSource {
public:
    virtual ~FrameSource() = default;
    // Frames in the video; exact for SER, the container's word (or an estimate, or -1) otherwise.
    virtual int64_t frameCount() const = 0;
    virtual bool countIsExact() const = 0;
    // Places the source so that the next read returns frame number (1-based).
    virtual void seek(int64_t number) = 0;
    virtual FrameRead read(Frame8& out, QString& error) = 0;
    // Number (1-based) of the frame the last read returned or failed on.
    virtual int64_t lastNumber() const = 0;
    // UTC time of that frame in Unix nanoseconds, when the video records one.
    virtual std::optional<int64_t> lastTime() const { return std::nullopt; }
    // Why the video ended before its last frame; empty when it ended normally.
    virtual QString endError() const { return {}; }
};

// The message for a problem with the video at path: "path : reason".
QString videoMessage(const QString& path, const QString& reason);

// Opens a SER video (told by its first bytes, or by a ".ser" name) or any video FFmpeg reads.
// Throws ProgramError naming the file when it cannot be used.
std::unique_ptr<FrameSource> openFrameSource(const QString& path, const SourceOptions& options);

// The FFmpeg side, for openFrameSource.
std::unique_ptr<FrameSource> openFfmpegSource(const QString& path, const SourceOptions& options);
