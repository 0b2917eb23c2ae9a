#include "convert/FitsWriter.h"

#include "platform/TextCodec.h"
#include "settings/Options.h"

#include <algorithm>

#include <cstring>

const FitsChannelFile kFitsChannelFiles[4] = {
    {FitsChannel::Red, 1, "_R.FIT"},
    {FitsChannel::Green, 2, "_V.FIT"},
    {FitsChannel::Blue, 4, "_B.FIT"},
    {FitsChannel::Grey, 8, "_G.FIT"},
};

namespace {

constexpr int kMaxOriginBytes = 70;

void putCard(QByteArray& header, int index, const QByteArray& text)
{
    std::memcpy(header.data() + index * kFitsCard, text.constData(), size_t(std::min<qsizetype>(text.size(), kFitsCard)));
}

// "KEYWORD =" and the value right-aligned so that it ends in column 30.
QByteArray fixedCard(const char* keyword, const QByteArray& value)
{
    QByteArray card = QByteArray(keyword).leftJustified(8, ' ') + "= ";
    return card + value.rightJustified(20, ' ');
}

}  // namespace

int fitsBytesPerPixel(int stored) { return stored == 2 || stored == 4 ? stored : 1; }

QByteArray fitsHeader(int bytesPerPixel, int width, int height, const QString& sourceName)
{
    QByteArray header(kFitsBlock, ' ');
    putCard(header, 0, fixedCard("SIMPLE", "T"));
    putCard(header, 1, fixedCard("BITPIX", QByteArray::number(8 * bytesPerPixel)));
    putCard(header, 2, fixedCard("NAXIS", "2"));
    putCard(header, 3, fixedCard("NAXIS1", QByteArray::number(width)));
    putCard(header, 4, fixedCard("NAXIS2", QByteArray::number(height)));
    // Bytes, not characters, are counted: a name outside Latin-1 is UTF-8 and must stay on its card.
    putCard(header, 5, "ORIGIN  = " + truncateEncoded(encodeFileText(sourceName), kMaxOriginBytes));
    putCard(header, 6, QByteArray("COMMENT = Cr\xE9\xE9 par ") + kProductName + "/KOLP-@");
    putCard(header, 7, "END");
    return header;
}

qsizetype fitsDataSize(int width, int height, int bytesPerPixel)
{
    const qsizetype bytes = qsizetype(width) * height * bytesPerPixel;
    return (bytes + kFitsBlock - 1) / kFitsBlock * kFitsBlock;
}

namespace {

template <int Bpp, FitsChannel Ch>
void fillRows(uchar* out, const QImage& rgb, const ColourWeights& w)
{
    const int width = rgb.width();
    out += Bpp - 1;
    for (int y = rgb.height() - 1; y >= 0; --y) {
        const uchar* p = rgb.constScanLine(y);
        for (int x = 0; x < width; ++x, p += 3, out += Bpp) {
            if constexpr (Ch == FitsChannel::Red)
                *out = p[0];
            else if constexpr (Ch == FitsChannel::Green)
                *out = p[1];
            else if constexpr (Ch == FitsChannel::Blue)
                *out = p[2];
            else
                *out = uchar(greyLevel(p[0], p[1], p[2], w));
        }
    }
}

template <int Bpp>
void fillChannel(uchar* out, const QImage& rgb, FitsChannel channel, const ColourWeights& w)
{
    switch (channel) {
    case FitsChannel::Red: fillRows<Bpp, FitsChannel::Red>(out, rgb, w); break;
    case FitsChannel::Green: fillRows<Bpp, FitsChannel::Green>(out, rgb, w); break;
    case FitsChannel::Blue: fillRows<Bpp, FitsChannel::Blue>(out, rgb, w); break;
    case FitsChannel::Grey: fillRows<Bpp, FitsChannel::Grey>(out, rgb, w); break;
    }
}

}  // namespace

void fillFitsData(char* data, const QImage& rgb, FitsChannel channel, int bytesPerPixel,
                  const ColourWeights& weights)
{
    const int bpp = fitsBytesPerPixel(bytesPerPixel);
    std::memset(data, 0, size_t(fitsDataSize(rgb.width(), rgb.height(), bpp)));
    const QImage converted = rgb.format() == QImage::Format_RGB888 ? QImage() : rgb.convertToFormat(QImage::Format_RGB888);
    const QImage& src = converted.isNull() ? rgb : converted;
    auto* out = reinterpret_cast<uchar*>(data);
    switch (bpp) {
    case 2: fillChannel<2>(out, src, channel, weights); break;
    case 4: fillChannel<4>(out, src, channel, weights); break;
    default: fillChannel<1>(out, src, channel, weights); break;
    }
}

QByteArray fitsFile(const QImage& rgb, FitsChannel channel, int bytesPerPixel, const ColourWeights& weights,
                    const QString& sourceName)
{
    const int bpp = fitsBytesPerPixel(bytesPerPixel);
    QByteArray file = fitsHeader(bpp, rgb.width(), rgb.height(), sourceName);
    file.resize(kFitsBlock + fitsDataSize(rgb.width(), rgb.height(), bpp));
    fillFitsData(file.data() + kFitsBlock, rgb, channel, bpp, weights);
    return file;
}
