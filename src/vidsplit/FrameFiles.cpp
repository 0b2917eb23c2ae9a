#include "vidsplit/FrameFiles.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

// Grey samples to B, G, R triples: one four-byte store per pixel, each overlapping the next pixel's
// first byte, which that pixel's store then writes; the last pixel byte by byte.
void expandGrey(const uint8_t* src, uint8_t* dst, int width)
{
    const int last = width - 1;
    for (int x = 0; x < last; ++x) {
        const uint32_t v = uint32_t(src[x]) * 0x010101u;
        std::memcpy(dst + 3 * x, &v, 4);
    }
    dst[3 * last] = dst[3 * last + 1] = dst[3 * last + 2] = src[last];
}

#if defined(__x86_64__)
// The same, sixteen pixels at a time, on processors with byte shuffles (nearly all of them).
__attribute__((target("ssse3"))) void expandGreySsse3(const uint8_t* src, uint8_t* dst, int width)
{
    const __m128i m0 = _mm_setr_epi8(0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5);
    const __m128i m1 = _mm_setr_epi8(5, 5, 6, 6, 6, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10);
    const __m128i m2 = _mm_setr_epi8(10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 14, 14, 14, 15, 15, 15);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m128i g = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + x));
        __m128i* out = reinterpret_cast<__m128i*>(dst + 3 * x);
        _mm_storeu_si128(out, _mm_shuffle_epi8(g, m0));
        _mm_storeu_si128(out + 1, _mm_shuffle_epi8(g, m1));
        _mm_storeu_si128(out + 2, _mm_shuffle_epi8(g, m2));
    }
    if (x < width)
        expandGrey(src + x, dst + 3 * x, width - x);
}
#endif

void expandGreyRow(const uint8_t* src, uint8_t* dst, int width)
{
#if defined(__x86_64__)
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (ssse3) {
        expandGreySsse3(src, dst, width);
        return;
    }
#endif
    expandGrey(src, dst, width);
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
        } else if (f.width > 0) {
            expandGreyRow(src, dst, f.width);
        }
        std::memset(dst + rowBytes, 0, stride - rowBytes);
    }
}
