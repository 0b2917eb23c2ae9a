#pragma once
// Decodes the picture the user is likely to ask for next on one worker thread, so that a move
// through the list costs only the drawing. A request replaces the one before it; a result is
// handed out only while the file is unchanged since it was decoded. Only the kinds whose decoders
// are safe on a second thread are decoded ahead; every failure is left to the caller's own decode,
// so that error boxes come exactly when the user moves onto the file.
#include "platform/Picture.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// A decoded picture and, when the request gave a display size, the same picture made ready to draw
// into it: converted to 32-bit, and stretched to the size when `stretched` is set.
struct PreparedPicture {
    QImage picture;
    std::shared_ptr<const LinearImage> linear;  // a linear frame's data
    QImage display;
    QSize displaySize;
    bool stretched = false;
};

// The picture ready to draw: 32-bit, stretched smoothly to size when stretched is set (the aspect
// ratio is not kept), else as it is. A null picture or an empty size gives a null image.
QImage prepareForDisplay(const QImage& picture, QSize size, bool stretched);

class PictureAhead {
public:
    PictureAhead();
    ~PictureAhead();
    PictureAhead(const PictureAhead&) = delete;
    PictureAhead& operator=(const PictureAhead&) = delete;

    // Decodes path ahead, prepared for displaySize (none when empty). Replaces any earlier request;
    // a decode already running finishes, but its result is dropped unless it is the same request.
    void request(const QString& path, QSize displaySize, bool stretched);
    // Forgets every request and result.
    void drop();
    // The picture decoded ahead for path, when it was asked for, decoded well, and the file has not
    // changed since, nor the display stretch. Waits for a decode of that path that is still running;
    // one not started yet is cancelled (the caller decodes it).
    std::optional<PreparedPicture> collect(const QString& path);
    // Waits until no decode is running (benchmarks: the user's pace).
    void waitIdle();

private:
    struct Job;
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::shared_ptr<Job> pending_;  // asked for, not started
    std::shared_ptr<Job> running_;  // being decoded
    std::shared_ptr<Job> ready_;    // decoded, waiting to be taken
    bool quit_ = false;
    std::thread worker_;
};
