#pragma once
// Synthetic planet frames for the sharpness measure: a limb-darkened disc with bands, blurred by a
// known Gaussian, scaled in brightness and given Gaussian noise, as a seeing-limited frame looks.
#include <QImage>
#include <QPointF>

struct PlanetFrame {
    int width = 320;
    int height = 240;
    QPointF centre{160, 120};
    double radius = 70;
    double blurSigma = 1;   // 0: not blurred
    double brightness = 1;  // scales the disc (thinner or thicker cloud)
    double noiseSigma = 8;  // 0: no noise
    unsigned seed = 1;
};

// An 8-bit grey picture of the frame.
QImage planetFrame(const PlanetFrame& frame);
