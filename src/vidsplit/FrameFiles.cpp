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

void encodeBmp24(const Frame8& f, std::vector<uint8_t>& out)
{
    const size_t stride = (size_t(f.width) * 3 + 3) & ~size_t(3);
    const size_t image = stride * size_t(f.height);
    out.resize(kBmpHeaderSize + image);
    uint8_t* h = out.data();
    std::memset(h, 0, kBmpHeaderSize);
    h[0] = 'B';
    h[1] = 'M';
    put32(h + 2, uint32_t(kBmpHeaderSize + image));
    put32(h + 10, kBmpHeaderSize);
    put32(h + 14, 40);
    put32(h + 18, uint32_t(f.width));
    put32(h + 22, uint32_t(f.height));  // positive: rows bottom-up
    put16(h + 26, 1);
    put16(h + 28, 24);
    put32(h + 34, uint32_t(image));

    const size_t rowBytes = size_t(f.width) * 3;
    for (int y = 0; y < f.height; ++y) {
        uint8_t* dst = out.data() + kBmpHeaderSize + size_t(f.height - 1 - y) * stride;
        const uint8_t* src = f.row(y);
        if (f.channels == 3) {
            std::memcpy(dst, src, rowBytes);
        } else {
            for (int x = 0; x < f.width; ++x)
                dst[3 * x] = dst[3 * x + 1] = dst[3 * x + 2] = src[x];
        }
        std::memset(dst + rowBytes, 0, stride - rowBytes);
    }
}
