#pragma once
// SER files made by the tests themselves (byte by byte, independently of the reader), and helpers
// to run the extractor and look at what it wrote.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

struct SerVideo {
    int colorId = 0;
    int width = 16;
    int height = 12;
    int depth = 8;               // PixelDepthPerPlane written in the header
    int frames = 4;              // frames written
    int headerCount = -1;        // FrameCount written (-1: frames)
    int littleEndianFlag = 0;    // as written in the header
    bool bigEndianData = false;  // byte order of 16-bit samples
    // Timestamps of the trailer in SER ticks; none: no trailer.
    std::vector<int64_t> trailer;
    // Sample value of plane p at (x, y) of frame f.
    std::function<unsigned(int f, int x, int y, int p)> sample;
};

QByteArray serBytes(const SerVideo& video);

// SER ticks of a Unix time in seconds.
int64_t serTicks(int64_t unixSeconds);

// Result of running the real vidsplit executable.
struct RunResult {
    int exitCode = -1;
    QString err;  // standard error
};
// unprivileged: run it as the user nobody when the tests run as root (root writes wherever it
// likes, so a refused folder must be tried by an ordinary user); the files it is given must then
// be reachable by nobody. addressSpace: a limit on its address space in bytes (0: none).
RunResult runVidsplit(const QStringList& args, const QString& workingDir = {}, bool unprivileged = false,
                      qint64 addressSpace = 0);

// Files of dir (names), sorted, hidden ones included.
QStringList filesIn(const QString& dir);

// The pixel (r, g, b) of a picture file.
QImage loadRgb(const QString& path);
