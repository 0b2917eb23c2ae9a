#pragma once
// SER videos, the planetary cameras' raw capture format: a 178-byte header ("LUCAM-RECORDER", colour
// kind, byte-order flag, size, depth, frame count, three texts, two dates), the frames one after the
// other, then optionally one 8-byte UTC timestamp per frame.
//
// Writers disagree on much of it, so nothing the header says about the data is taken on trust:
//  - the LittleEndian flag is written either way for little-endian data; 16-bit byte order is told
//    from the data itself (the order whose high bytes vary less between neighbouring samples wins),
//    unless the user forces one;
//  - a 16-bit depth often holds 10 to 12-bit data; the depth used to scale to 8 bits comes from the
//    largest sample of the first, middle and last frames;
//  - FrameCount may be 0 or more than the file holds; then the count is what the file size allows,
//    and nothing past the end is ever read;
//  - the trailer may be missing or out of order; it is only used for each frame's own time.
#include "video/Frame8.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

constexpr int kSerHeaderSize = 178;

enum class ByteOrder { Auto, Little, Big };

struct SerHeader {
    int32_t luId = 0;
    int32_t colorId = 0;       // 0 mono; 8..11 Bayer RGGB, GRBG, GBRG, BGGR; 16..19 CMY mosaics; 100 RGB; 101 BGR
    int32_t littleEndian = 0;  // as written; not used to read the data
    int32_t width = 0;
    int32_t height = 0;
    int32_t pixelDepth = 0;    // bits per sample per plane, as written
    int32_t frameCount = 0;    // as written
    QString observer;
    QString instrument;
    QString telescope;
    int64_t dateTime = 0;      // local time, 100 ns ticks since 0001-01-01
    int64_t dateTimeUtc = 0;
};

// Parses the header fields of the first kSerHeaderSize bytes (no checks beyond the length).
SerHeader parseSerHeader(const uint8_t* bytes);
// Fills the 178 bytes of a header.
void formatSerHeader(const SerHeader& h, uint8_t* bytes);

// SER time (100 ns ticks since 0001-01-01) to and from Unix nanoseconds.
int64_t serTicksFromUnixNanos(int64_t unixNanos);
std::optional<int64_t> unixNanosFromSerTicks(int64_t ticks);  // nothing outside 1970..2200

// Reads a SER video held in memory (a buffer that stays owned by the caller and must outlive the
// reader) or in an open file, read with pread as needed. A file is never mapped: another program
// may shorten it while it is read (a capture program starting over), and a read past the new end
// must fail, not fault.
class SerReader {
public:
    // Checks the header against the size and works out the layout; false with a French reason
    // (without the file's name) when the bytes are not a SER video this reader can use.
    bool open(const uint8_t* data, int64_t size, QString& error, ByteOrder order = ByteOrder::Auto);
    // The same on the file open as fd, of size bytes; fd stays the caller's and must stay open.
    bool openFile(int fd, int64_t size, QString& error, ByteOrder order = ByteOrder::Auto);

    const SerHeader& header() const { return header_; }
    int width() const { return header_.width; }
    int height() const { return header_.height; }
    int64_t frameCount() const { return frameCount_; }
    bool countRecomputed() const { return countRecomputed_; }
    int64_t frameBytes() const { return frameBytes_; }
    int64_t frameOffset(int64_t index) const { return kSerHeaderSize + index * frameBytes_; }
    int planes() const { return planes_; }
    int bytesPerSample() const { return bytesPerSample_; }
    bool isBayer() const { return header_.colorId >= 8 && header_.colorId <= 11; }
    bool isColour() const { return planes_ == 3; }
    // 16-bit data: whether it is read big-endian (as chosen from the data, or forced).
    bool bigEndian() const { return bigEndian_; }
    // Bits per sample the data really uses (8..16): output is scaled by 2^(8 - bits).
    int significantBits() const { return bits_; }
    bool hasTrailer() const { return hasTrailer_; }
    // The frame's UTC time from the trailer, in Unix nanoseconds, when there is a plausible one.
    std::optional<int64_t> frameTime(int64_t index) const;
    // The trailer's time of the frame as stored (SER ticks), plausible or not.
    std::optional<int64_t> frameTicks(int64_t index) const;
    // The frame's bytes as stored (frameBytes() of them) into dst. Keeps no state: safe from several
    // threads at once. False when the file no longer holds the frame (errno 0) or cannot be read.
    bool readFrameBytes(int64_t index, uint8_t* dst) const
    {
        return index >= 0 && index < frameCount_ && fetch(frameOffset(index), size_t(frameBytes_), dst);
    }

    // Frame index (0-based) as 8-bit samples: grey for mono and mosaics written raw, BGR otherwise.
    // grey asks for grey output: mosaics are written raw, colour frames as their grey level.
    // In memory, 8-bit single-plane frames are a view of the bytes, valid as long as they are.
    // False when the file no longer holds the frame (it was shortened, or errno tells why).
    bool readFrame(int64_t index, Frame8& out, bool grey) const;

private:
    bool openLayout(QString& error, ByteOrder order);
    bool chooseByteOrder(ByteOrder order);
    bool findSignificantBits();
    unsigned sample(const uint8_t* p) const;
    // Copies n bytes at offset into dst; false when they are not all there.
    bool fetch(int64_t offset, size_t n, uint8_t* dst) const;
    // The n bytes at offset: in place in memory, read into buf from a file; nullptr when they are
    // not all there.
    const uint8_t* bytesAt(int64_t offset, size_t n, std::vector<uint8_t>& buf) const;

    const uint8_t* data_ = nullptr;
    int fd_ = -1;
    int64_t size_ = 0;
    SerHeader header_;
    int planes_ = 1;
    int bytesPerSample_ = 1;
    int64_t frameBytes_ = 0;
    int64_t frameCount_ = 0;
    bool countRecomputed_ = false;
    bool hasTrailer_ = false;
    bool bigEndian_ = false;
    int bits_ = 8;
    mutable std::vector<uint8_t> mosaic_;
    mutable std::vector<uint8_t> wide_;  // 16-bit samples read from a file
};

// Demosaics an 8-bit Bayer mosaic (ColorID 8..11) bilinearly into BGR: each missing colour is the
// mean of that colour's samples among the eight neighbours.
void demosaicBilinear(const uint8_t* mosaic, int width, int height, int colorId, Frame8& out);
