#include "vidsplit/FrameFiles.h"

#include <cstring>

namespace {

constexpr int kBmpHeaderSize = 54;

void put16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

}  // namespace

QString frameFileName(const QString& stem, int64_t number)
{
    return QStringLiteral("%1_%2.bmp").arg(stem).arg(number, 5, 10, QLatin1Char('0'));
}

void encodeBmp(const Frame8& f, std::vector<uint8_t>& out)
{
    // Grey frames as 8-bit pictures with a palette of greys, as ffmpeg writes them: a third of the
    // bytes of 24-bit ones.
    const bool grey = f.channels == 1;
    const int colours = grey ? 256 : 0;
    const size_t offset = kBmpHeaderSize + 4 * size_t(colours);
    const size_t rowBytes = size_t(f.width) * size_t(f.channels);
    const size_t stride = (rowBytes + 3) & ~size_t(3);
    const size_t image = stride * size_t(f.height);
    out.resize(offset + image);
    uint8_t* h = out.data();
    std::memset(h, 0, offset);
    h[0] = 'B';
    h[1] = 'M';
    put32(h + 2, uint32_t(offset + image));
    put32(h + 10, uint32_t(offset));
    put32(h + 14, 40);
    put32(h + 18, uint32_t(f.width));
    put32(h + 22, uint32_t(f.height));  // positive: rows bottom-up
    put16(h + 26, 1);
    put16(h + 28, grey ? 8 : 24);
    put32(h + 34, uint32_t(image));
    put32(h + 46, uint32_t(colours));
    for (int i = 0; i < colours; ++i)  // B, G, R, 0
        put32(h + kBmpHeaderSize + 4 * i, uint32_t(i) * 0x010101u);
    for (int y = 0; y < f.height; ++y) {
        uint8_t* dst = out.data() + offset + size_t(f.height - 1 - y) * stride;
        std::memcpy(dst, f.row(y), rowBytes);
        std::memset(dst + rowBytes, 0, stride - rowBytes);
    }
}
