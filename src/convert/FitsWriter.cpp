#include "convert/FitsWriter.h"

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

// A string value fills at most the card's columns 12 to 79, between its quotes.
constexpr int kMaxStringChars = kFitsCard - 12;
// Short strings are padded to 8 characters, as fixed-format readers expect (trailing blanks do not
// count in a FITS string).
constexpr int kMinStringChars = 8;

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

// A header holds printable ASCII only: accents are dropped ("é" gives "e"), any other character
// becomes "_".
QByteArray headerText(const QString& text)
{
    const QString plain = text.normalized(QString::NormalizationForm_D);
    QByteArray out;
    out.reserve(plain.size());
    for (const QChar c : plain) {
        if (c.category() == QChar::Mark_NonSpacing || c.isHighSurrogate())
            continue;  // a character beyond 16 bits gives one "_", from its low half
        const char16_t u = c.unicode();
        out.append(u >= 0x20 && u < 0x7F ? char(u) : '_');
    }
    return out;
}

// A quoted string value: a quote inside is written twice, the text cut to fit on its card.
QByteArray quotedValue(const QString& text)
{
    QByteArray inner;
    for (const char c : headerText(text)) {
        const int width = c == '\'' ? 2 : 1;
        if (inner.size() + width > kMaxStringChars)
            break;
        inner.append(c);
        if (c == '\'')
            inner.append(c);
    }
    return '\'' + inner.leftJustified(kMinStringChars, ' ') + '\'';
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
    putCard(header, 5, "ORIGIN  = " + quotedValue(sourceName));
    putCard(header, 6, "COMMENT = " + headerText(QString::fromUtf8("Créé par ")) + kProductName + "/KOLP-@");
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
