#include "convert/ColourFilter.h"

#include "settings/Options.h"

ColourWeights weightsOf(const ProgramOptions& o) { return {o.RedWeight, o.GreenWeight, o.BlueWeight}; }

void storeWeights(ProgramOptions& o, const ColourWeights& w)
{
    o.RedWeight = w.red;
    o.GreenWeight = w.green;
    o.BlueWeight = w.blue;
}

void applyGreyFilter(QImage& picture, const ColourWeights& w)
{
    if (picture.isNull())
        return;
    switch (picture.format()) {
    case QImage::Format_RGB888:
        for (int y = 0; y < picture.height(); ++y) {
            uchar* p = picture.scanLine(y);
            for (int x = 0; x < picture.width(); ++x, p += 3)
                p[0] = p[1] = p[2] = uchar(greyLevel(p[0], p[1], p[2], w));
        }
        return;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        break;
    default:
        picture = picture.convertToFormat(QImage::Format_RGB32);
        break;
    }
    for (int y = 0; y < picture.height(); ++y) {
        auto* p = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const int g = greyLevel(qRed(p[x]), qGreen(p[x]), qBlue(p[x]), w);
            p[x] = qRgba(g, g, g, qAlpha(p[x]));
        }
    }
}

int sliderFromWeight(int weight)
{
    const long long p = (long long)weight * kSliderScale / 256;
    return p < 0 ? 0 : p > kSliderScale ? kSliderScale : int(p);
}

int sliderSum(int r, int g, int b)
{
    const int s = r + g + b;
    return s == 0 ? 256 : s;
}

QString shareText(int position, int sum)
{
    return QStringLiteral("%1").arg(position * 100 / sum, 3);
}

ColourWeights weightsFromSliders(int r, int g, int b)
{
    const int s = sliderSum(r, g, b);
    return {r * 256 / s, g * 256 / s, b * 256 / s};
}
