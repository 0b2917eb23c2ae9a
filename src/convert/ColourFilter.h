#pragma once
// The grey level that mixes a pixel's red, green and blue with three weights in 256ths, the
// preview that turns a picture to grey with it, and the arithmetic of the colour filtering
// dialog's three sliders.
#include <QImage>
#include <QString>

struct ProgramOptions;

struct ColourWeights {
    int red = 77;
    int green = 151;
    int blue = 28;
    bool operator==(const ColourWeights&) const = default;
};

ColourWeights weightsOf(const ProgramOptions& o);
void storeWeights(ProgramOptions& o, const ColourWeights& w);

// (red × wR + green × wG + blue × wB) / 256, fraction dropped. Weights as the dialog stores them
// sum to at most 256 and keep this within 0..255; weights from a damaged settings file cannot
// push it outside (the result is held to 0..255).
inline int greyLevel(int red, int green, int blue, const ColourWeights& w)
{
    const long long sum = (long long)red * w.red + (long long)green * w.green + (long long)blue * w.blue;
    const long long g = sum / 256;
    return g < 0 ? 0 : g > 255 ? 255 : int(g);
}

// Turns the picture to grey in place: every pixel gets red = green = blue = its grey level.
// Pictures of other formats are first brought to 32-bit RGB.
void applyGreyFilter(QImage& picture, const ColourWeights& w);

// The sliders run from 0 to kSliderScale.
constexpr int kSliderScale = 255;
// Slider position for a weight: weight × 255 / 256 (77, 151, 28 give 76, 150, 27).
int sliderFromWeight(int weight);
// The divisor of the shares and weights: the sum of the positions, or 256 when it is 0.
int sliderSum(int r, int g, int b);
// A slider's share in percent, right-aligned in 3 characters (" 30").
QString shareText(int position, int sum);
// Weights confirmed from the positions: position × 256 / S each.
ColourWeights weightsFromSliders(int r, int g, int b);
