#pragma once
// Linear frames on screen. A camera's frame is linear: the sky and the faint parts sit in the first
// few percent of the range and show almost black. The automatic stretch clips the shadows just
// below the background (median − 2.8 × 1.4826 × MAD) and bends the midtones so that the background
// shows at 25 % grey, the usual screen transfer of astronomy software. Colour frames use one curve
// for the three channels, so that their balance is kept.
#include "platform/LinearImage.h"

#include <QImage>

// What the curves are made from: the median and MAD of a sample of the frame's samples (every
// plane; blank ones left out), and its extremes: exact for floating-point data or when asked,
// else the sample's (a full pass over a 26 MP frame costs more than the rest of the stretch).
struct FrameStats {
    double median = 0;
    double mad = 0;  // median absolute deviation, not yet scaled to a σ
    double minimum = 0;
    double maximum = 0;
    bool empty = true;  // no sample that is not blank
};

FrameStats frameStats(const LinearImage& image, bool exactExtremes = false);

// A display curve in the frame's own units: values up to black show black, white and above white,
// and midtone is the transfer's balance (0.5 leaves the range straight).
struct StretchCurve {
    double black = 0;
    double white = 1;
    double midtone = 0.5;
    bool operator==(const StretchCurve&) const = default;
};

// The screen transfer: 0 at 0, 1 at 1, and m at m's own balance point (m in (0, 1)).
double midtonesTransfer(double m, double x);

// The automatic curve; the white point is the data type's largest value, or the frame's maximum
// for floating-point data.
StretchCurve autoStretch(const FrameStats& stats, const LinearImage& image);
// Straight from the frame's minimum to its maximum.
StretchCurve linearStretch(const FrameStats& stats);

// The 8-bit picture for the screen: grey (Grayscale8) for one plane, RGB32 for three planes and for
// mosaics (demosaiced bilinearly: each missing colour is the mean of that colour's nearest samples).
// Blank pixels show black. A null picture for a null image.
QImage renderStretched(const LinearImage& image, const StretchCurve& curve);
