#pragma once
// How sharp one frame is: the spread of the Laplacian of its smoothed luminance, divided by its
// brightness.
//
// The luminance (Rec. 601 weights) is smoothed by a 7 × 7 Gaussian (σ 1.4) so that pixel noise does
// not count as detail; the Laplacian is taken on every second pixel of the smoothed picture, in both
// directions, and its standard deviation divided by the mean brightness of the smoothed pixels above
// 15 (of 255), so that a frame made brighter by thinner cloud does not look sharper. The Laplacian
// is taken over the object only (the smoothed pixels above a third of that brightness, the same
// outline whatever the cloud), and the variance that the pixel noise alone gives it is taken away:
// the sky carries nothing but noise, and noise beside faint detail would favour the dimmer frames.
// The plain variance of the Laplacian is not used: on noisy frames it measures the noise.
#include <QImage>
#include <QString>

// What a measure may say beside its value.
enum SharpnessFlag : unsigned {
    SharpnessNoSignal = 1,    // black, empty or too small: nothing to measure (value 0)
    SharpnessAtBorder = 2,    // the bright object touches the picture's border (a cut disc)
    SharpnessUnreadable = 4,  // the picture could not be read or decoded (value 0)
};

struct SharpnessMeasure {
    double value = 0;
    unsigned flags = 0;
    bool flagged() const { return flags != 0; }
    bool operator==(const SharpnessMeasure&) const = default;
};

// The brightness below which a smoothed pixel counts as sky, on the 0..255 scale.
constexpr double kSharpnessThreshold = 15;

// Measures a picture of any QImage format; 16-bit pictures are read on the same 0..255 scale.
// Never NaN: a null, tiny or black picture gives 0 with SharpnessNoSignal.
SharpnessMeasure measureSharpness(const QImage& picture);

// Measures a linear frame (FITS, 16-bit): its grey level (a mosaic as it is, three planes by their
// mean) scaled so that the frame's brightest sample reads 255, never through the display curve.
struct LinearImage;
SharpnessMeasure measureSharpness(const LinearImage& frame);

// Decodes the file through the picture layer (as the slideshow does) and measures it; a file that
// cannot be read or decoded gives 0 with SharpnessUnreadable.
SharpnessMeasure measureSharpnessOfFile(const QString& path);

// The short marks of the flags, as the list shows them after the value ("" when none).
QString sharpnessMarks(unsigned flags);
