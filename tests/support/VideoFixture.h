#pragma once
// Videos made by the tests: SER byte by byte (independently of the reader), others by the ffmpeg
// tool; and a picture loader for the SER writer.
#include "video/SerWriter.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

struct SerLayout {
    int colorId = 0;
    int width = 16;
    int height = 12;
    int depth = 8;  // PixelDepthPerPlane written
    int frames = 10;
    bool bigEndian = false;  // byte order of 16-bit samples; the header's flag is left at 0
    bool trailer = true;     // frame f at kBaseTime + f seconds
    std::function<unsigned(int f, int x, int y, int p)> sample = [](int f, int x, int y, int p) {
        return unsigned(x * 7 + y * 13 + f * 29 + p * 50) & 255;
    };
};
constexpr int64_t kBaseTime = 1700000000;

QByteArray serBytes(const SerLayout& s);
int64_t serTicksOf(int64_t unixSeconds);
// The stored bytes of frame (from 1) of a SER made by serBytes.
QByteArray serFrame(const QByteArray& ser, const SerLayout& s, int number);

// Runs ffmpeg quietly; its standard output, or nothing when it fails or is missing.
std::optional<QByteArray> ffmpeg(const QStringList& args);

// Picture files through the program's decoder, as the writer's callers load them.
bool loadTestPicture(const QString& path, Frame8& out, QString& error);
