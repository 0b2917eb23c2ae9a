// libFuzzer entry over the picture decoders, fed the bytes of one file of the kind it was built for
// (FUZZ_KIND_NAME). Besides crashes and sanitizer reports, it stops on a broken promise of the
// decoding layer: a picture beyond the limits, a success without a picture, a failure without a
// reason.
#include "platform/JpegCodec.h"
#include "platform/Metafile.h"
#include "platform/Picture.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

PictureKind fuzzKind()
{
    const char* name = FUZZ_KIND_NAME;
    if (std::strcmp(name, "bmp") == 0)
        return PictureKind::Bitmap;
    if (std::strcmp(name, "jpeg") == 0)
        return PictureKind::Jpeg;
    if (std::strcmp(name, "ico") == 0)
        return PictureKind::Icon;
    if (std::strcmp(name, "fits") == 0)
        return PictureKind::Fits;
    if (std::strcmp(name, "tiff") == 0)
        return PictureKind::Tiff;
    if (std::strcmp(name, "png") == 0)
        return PictureKind::Png;
    return PictureKind::Metafile;
}

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setPictureMemoryLimit();  // as the program does at start-up
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const PictureKind kind = fuzzKind();
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    // The last byte picks the JPEG scale, so that the scaled decoders are fuzzed too.
    const int scale = size > 0 ? 1 << (data[size - 1] & 3) : 1;

    const PictureResult r = loadPictureFromBytes(bytes, kind, scale);
    require(r.status != PictureStatus::Unreadable);
    if (r.ok()) {
        require(!r.image.isNull());
        require(pictureSizeAllowed(r.image.width(), r.image.height(), 1));
        // A linear frame's data covers its picture, every plane of it.
        if (r.linear) {
            const LinearImage& l = *r.linear;
            require(l.width == r.image.width() && l.height == r.image.height());
            require(size_t(l.planeSize() * l.planes) == (l.isFloat() ? l.f32.size() : l.u16.size()));
        }
        if (kind == PictureKind::Metafile)
            require(r.image.width() <= kMaxMetafileSide && r.image.height() <= kMaxMetafileSide);
        // Touch every row, so that a picture whose buffer is shorter than it claims is caught.
        static volatile unsigned sink;
        unsigned sum = 0;
        for (int y = 0; y < r.image.height(); ++y)
            sum += r.image.constScanLine(y)[r.image.bytesPerLine() - 1];
        sink = sum;
    } else {
        require(r.image.isNull());
        require(!r.errorText.isEmpty());
    }

    if (kind == PictureKind::Jpeg) {
        const JpegHeader h = readJpegHeader(bytes);
        require(h.ok() || !h.errorText.isEmpty());
        // A picture that decodes has a header that reads, with the size the decode was scaled from.
        if (r.ok()) {
            require(h.ok());
            require(jpegScaledSize(h.size, scale) == r.image.size());
        }
    }
    return 0;
}
