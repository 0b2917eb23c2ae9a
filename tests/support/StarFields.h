#pragma once
// Synthetic deep-sky frames of known stars for the star measures: Gaussian or Moffat stars of a
// given FWHM and eccentricity (one orientation or any), each integrated over the pixels' area, on a sky
// with a gradient, with shot noise and read noise, a few saturated stars and hot pixels, in 16 bits.
#include "platform/LinearImage.h"

#include <vector>

struct StarFieldPlan {
    int width = 1024;
    int height = 1024;
    int stars = 500;
    double fwhm = 4;          // of the continuous profile: geometric mean of its half-maximum axes
    double beta = 0;          // 0: Gaussian; otherwise Moffat of this β
    double eccentricity = 0;  // sqrt(1 - b²/a²)
    double angle = 0.5;       // of the major axis, radians; the same for every star (guiding, wind)
    bool anyAngle = false;    // each star its own angle instead (field curvature, tilt)
    double minPeak = 60;      // peaks above the sky, ADU, spread evenly in log between these two
    double maxPeak = 30000;
    double sky = 800;         // ADU at the frame's centre
    double skyGradient = 150; // ADU added from the left edge to the right one (and half that down)
    double gain = 1;          // electrons per ADU, for the shot noise
    double readNoise = 6;     // ADU
    double starScale = 1;     // thin cloud: every star's light scaled by this
    int saturated = 3;        // extra stars bright enough to clip at 65535
    int hotPixels = 30;       // single pixels from 5,000 to 65,535 ADU
    enum Layout { Mono, ThreePlanes, Mosaic } layout = Mono;
    unsigned seed = 1;
};

struct TrueStar {
    double x, y;
    double peak;  // of the continuous profile, ADU above the sky
    bool saturated;
};

struct StarFieldFrame {
    LinearImage image;
    std::vector<TrueStar> stars;
    std::vector<int> hotX, hotY;
    double noiseSigma = 0;  // of the sky at the frame's centre, ADU
};

StarFieldFrame makeStarField(const StarFieldPlan& plan);
