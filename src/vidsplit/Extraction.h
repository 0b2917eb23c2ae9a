#pragma once
// One extraction: the frames first .. first + count - 1 of a video written as BMP files into a
// directory, then added to a list file. Used by the command line and by the window.
#include "video/SerFile.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>

struct ExtractOptions {
    QString video;
    QString outDir;       // empty: the working directory
    QString listFile;     // empty: stem + ".LST" beside the frames
    int64_t first = 1;    // first frame, counted from 1
    int64_t count = -1;   // frames wanted; -1 for all up to the end
    bool grey = false;    // grey frames: mosaics raw, colour as its grey level
    ByteOrder byteOrder = ByteOrder::Auto;
};

struct ExtractProgress {
    int64_t done = 0;    // frames read so far (written or not)
    int64_t total = -1;  // frames to read, -1 when the video does not tell
    double framesPerSecond = 0;
    QString lastFile;    // the frame file written last
};

struct ExtractResult {
    int64_t written = 0;
    QStringList frames;    // paths of the frames written, in order
    QString listFile;      // the list they were added to, empty when none was written
    QStringList problems;  // French messages, each naming its file
    bool stopped = false;  // stopped by the user; the frames written so far are listed
    // Every frame asked for was written and listed.
    bool complete() const { return problems.isEmpty() && !stopped; }
};

class Extraction {
public:
    explicit Extraction(ExtractOptions options) : options_(std::move(options)) {}

    // Called after each frame; may call stop().
    void onProgress(std::function<void(const ExtractProgress&)> f) { progress_ = std::move(f); }
    // Ends the run after the frame in progress. Safe from a signal handler.
    void stop() { stop_ = true; }

    ExtractResult run();

private:
    void addToList(ExtractResult& result, const QString& listPath, const QString& directory);

    ExtractOptions options_;
    std::function<void(const ExtractProgress&)> progress_;
    std::atomic<bool> stop_{false};
};

// The quality new entries get: DefaultScore of the program's settings file ("0" when unset).
QString defaultListQuality();
// The frames' list when none is given: stem + ".LST" in the frames' directory.
QString defaultListFile(const QString& video, const QString& outDir);
// Refuses, with ProgramError "path : reason", a list file that is not a plain file (a device, a
// pipe) or is larger than any list (a video given by mistake): reading it would never end, or fill
// the memory for nothing. A missing file passes.
void checkListFileKind(const QString& path);
// Whether a name holds a line feed or a carriage return: a list file holds one value per line, so
// such a name written into it would break every entry after it.
bool hasLineBreak(const QString& name);
