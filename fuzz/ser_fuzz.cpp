// libFuzzer entry over the SER reader, fed the bytes of one file. The last byte picks the byte
// order (automatic, forced little, forced big). Besides crashes and sanitizer reports, it stops on
// a broken promise of the reader: a layout that reaches past the bytes, a frame of the wrong size,
// a failure without a reason.
#include "video/SerFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const ByteOrder kOrders[] = {ByteOrder::Auto, ByteOrder::Little, ByteOrder::Big, ByteOrder::Auto};
    const ByteOrder order = size > 0 ? kOrders[data[size - 1] & 3] : ByteOrder::Auto;

    SerReader reader;
    QString error;
    if (!reader.open(data, int64_t(size), error, order)) {
        require(!error.isEmpty());
        return 0;
    }
    require(reader.frameCount() >= 1);
    require(reader.frameOffset(reader.frameCount()) <= int64_t(size));
    require(reader.significantBits() >= 8 && reader.significantBits() <= 16);
    const int64_t picks[] = {0, reader.frameCount() / 2, reader.frameCount() - 1};
    Frame8 frame;
    for (const int64_t i : picks) {
        for (const bool grey : {false, true}) {
            reader.readFrame(i, frame, grey);
            require(frame.width == reader.width() && frame.height == reader.height());
            require(frame.channels == 1 || frame.channels == 3);
            const size_t bytes = size_t(frame.width) * size_t(frame.height) * size_t(frame.channels);
            if (frame.view)
                require(frame.view >= data && frame.view + bytes <= data + size);
            else
                require(frame.pixels.size() == bytes);
            // Read every sample, so that a frame reaching past its bytes is caught.
            static volatile unsigned sink;
            unsigned sum = 0;
            for (size_t k = 0; k < bytes; ++k)
                sum += frame.data()[k];
            sink = sum;
            // Grey output is one channel; colour kinds otherwise three.
            require(!grey || frame.channels == 1);
            require(grey || frame.channels == ((reader.isColour() || reader.isBayer()) ? 3 : 1));
        }
        (void)reader.frameTime(i);
        // The stored bytes, as the program reads frames in place and the SER writer copies them.
        std::vector<uint8_t> raw(size_t(reader.frameBytes()));
        require(reader.readFrameBytes(i, raw.data()));
        require(std::equal(raw.begin(), raw.end(), data + reader.frameOffset(i)));
        (void)reader.frameTicks(i);
    }
    std::vector<uint8_t> none(size_t(reader.frameBytes()));
    require(!reader.readFrameBytes(reader.frameCount(), none.data()) && !reader.readFrameBytes(-1, none.data()));
    return 0;
}
