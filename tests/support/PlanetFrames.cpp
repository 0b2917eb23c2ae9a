#include "PlanetFrames.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

// Separable Gaussian blur of a width × height plane, edges repeated.
void blur(std::vector<double>& plane, int width, int height, double sigma)
{
    if (sigma <= 0)
        return;
    const int r = int(std::ceil(4 * sigma));
    std::vector<double> k(size_t(2 * r + 1));
    double sum = 0;
    for (int i = -r; i <= r; ++i)
        sum += k[size_t(i + r)] = std::exp(-double(i * i) / (2 * sigma * sigma));
    for (double& v : k)
        v /= sum;
    std::vector<double> tmp(plane.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double s = 0;
            for (int i = -r; i <= r; ++i)
                s += k[size_t(i + r)] * plane[size_t(y * width + std::clamp(x + i, 0, width - 1))];
            tmp[size_t(y * width + x)] = s;
        }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double s = 0;
            for (int i = -r; i <= r; ++i)
                s += k[size_t(i + r)] * tmp[size_t(std::clamp(y + i, 0, height - 1) * width + x)];
            plane[size_t(y * width + x)] = s;
        }
}

}  // namespace

QImage planetFrame(const PlanetFrame& f)
{
    const int w = f.width, h = f.height;
    std::vector<double> plane(size_t(w * h), 0.0);
    // Four sub-samples a pixel smooth the limb, so that the sharpest frame is not aliased.
    constexpr double kCentre = 200, kLimbDarkening = 0.6;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double v = 0;
            for (int s = 0; s < 4; ++s) {
                const double px = x + 0.25 + 0.5 * (s & 1) - f.centre.x();
                const double py = y + 0.25 + 0.5 * (s >> 1) - f.centre.y();
                const double rr = (px * px + py * py) / (f.radius * f.radius);
                if (rr >= 1)
                    continue;
                const double mu = std::sqrt(1 - rr);
                const double lat = py / f.radius;
                // Broad belts and fine streaks, as on a gas giant.
                const double bands = 1 + 0.18 * std::sin(lat * 9.0) + 0.10 * std::sin(lat * 31.0 + 0.7)
                                     + 0.06 * std::sin(px * 0.9) * std::sin(lat * 17.0);
                v += kCentre * (1 - kLimbDarkening * (1 - mu)) * bands;
            }
            plane[size_t(y * w + x)] = v / 4;
        }
    blur(plane, w, h, f.blurSigma);

    std::mt19937 rng(f.seed);
    std::normal_distribution<double> noise(0, f.noiseSigma > 0 ? f.noiseSigma : 1);
    QImage img(w, h, QImage::Format_Grayscale8);
    for (int y = 0; y < h; ++y) {
        uchar* line = img.scanLine(y);
        for (int x = 0; x < w; ++x) {
            double v = plane[size_t(y * w + x)] * f.brightness;
            if (f.noiseSigma > 0)
                v += noise(rng);
            line[x] = uchar(std::clamp(std::lround(v), 0L, 255L));
        }
    }
    return img;
}
