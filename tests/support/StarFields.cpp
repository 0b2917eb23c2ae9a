#include "StarFields.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

constexpr double kFwhmPerSigma = 2.3548200450309493;  // 2 sqrt(2 ln 2)

struct Shape {
    double beta;
    double ia2, ib2;  // 1 / (scale along the major axis)², the same along the minor one
    double c, s;      // orientation
    double value(double dx, double dy) const
    {
        const double u = dx * c + dy * s, v = -dx * s + dy * c;
        const double q = u * u * ia2 + v * v * ib2;
        return beta > 0 ? std::exp(-beta * std::log1p(q)) : std::exp(-0.5 * q);
    }
};

// Adds one star's light, each pixel's share integrated on n × n points where the profile curves
// (more points for narrower stars).
void addStar(std::vector<float>& light, int w, int h, double x0, double y0, double peak, const Shape& shape,
             double fwhmMajor, double fwhmMinor, int reach)
{
    const double core = 2 * fwhmMajor + 1;
    const int n = std::clamp(int(std::ceil(20 / fwhmMinor)), 4, 12);
    for (int y = std::max(0, int(y0) - reach); y <= std::min(h - 1, int(y0) + reach); ++y)
        for (int x = std::max(0, int(x0) - reach); x <= std::min(w - 1, int(x0) + reach); ++x) {
            const double dx = x - x0, dy = y - y0;
            double v = 0;
            if (dx * dx + dy * dy < core * core) {
                for (int j = 0; j < n; ++j)
                    for (int i = 0; i < n; ++i)
                        v += shape.value(dx + (i + 0.5) / n - 0.5, dy + (j + 0.5) / n - 0.5);
                v /= n * n;
            } else {
                v = shape.value(dx, dy);
            }
            light[size_t(y) * size_t(w) + size_t(x)] += float(peak * v);
        }
}

}  // namespace

StarFieldFrame makeStarField(const StarFieldPlan& plan)
{
    std::mt19937_64 rng(plan.seed);
    std::uniform_real_distribution<double> unit(0, 1);
    const int w = plan.width, h = plan.height;
    std::vector<float> light(size_t(w) * size_t(h), 0.0f);
    StarFieldFrame out;

    const double squash = std::pow(1 - plan.eccentricity * plan.eccentricity, 0.25);
    const double fwhmMajor = plan.fwhm / squash, fwhmMinor = plan.fwhm * squash;
    const int reach = std::min(60, int(std::ceil((plan.beta > 0 ? 5 : 4) * fwhmMajor)) + 2);
    auto scaleOf = [&](double fwhm) {
        return plan.beta > 0 ? fwhm / (2 * std::sqrt(std::pow(2.0, 1 / plan.beta) - 1)) : fwhm / kFwhmPerSigma;
    };
    const double a = scaleOf(fwhmMajor), b = scaleOf(fwhmMinor);
    for (int k = 0; k < plan.stars + plan.saturated; ++k) {
        const bool bright = k >= plan.stars;
        const double x = 2 + unit(rng) * (w - 5), y = 2 + unit(rng) * (h - 5);
        const double peak = bright ? 65535 * (3 + 3 * unit(rng))
                                   : plan.minPeak * std::pow(plan.maxPeak / plan.minPeak, unit(rng));
        const double angle = plan.anyAngle ? unit(rng) * M_PI : plan.angle;
        const Shape shape{plan.beta, 1 / (a * a), 1 / (b * b), std::cos(angle), std::sin(angle)};
        addStar(light, w, h, x, y, peak * plan.starScale, shape, fwhmMajor, fwhmMinor, reach);
        out.stars.push_back({x, y, peak * plan.starScale, plan.sky + peak * plan.starScale >= 65535});
    }

    // Per colour: the share of the light a channel records (grey: all of it).
    const double channel[3] = {0.8, 1.0, 0.6};
    const int planes = plan.layout == StarFieldPlan::ThreePlanes ? 3 : 1;
    LinearImage& img = out.image;
    img.width = w;
    img.height = h;
    img.planes = planes;
    img.bayer = plan.layout == StarFieldPlan::Mosaic ? BayerPattern::RGGB : BayerPattern::None;
    img.nominalMax = 65535;
    img.u16.resize(size_t(w) * size_t(h) * size_t(planes));
    std::normal_distribution<float> normal(0, 1);
    for (int p = 0; p < planes; ++p)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                double share = 1;
                if (planes == 3)
                    share = channel[p];
                else if (plan.layout == StarFieldPlan::Mosaic)
                    share = channel[(y % 2) + (x % 2)];  // R, G, G, B
                const double sky = plan.sky + plan.skyGradient * (double(x) / w - 0.5) +
                                   0.5 * plan.skyGradient * (double(y) / h - 0.5);
                const double signal = share * (sky + light[size_t(y) * size_t(w) + size_t(x)]);
                const double sigma = std::sqrt(std::max(0.0, signal) / plan.gain + plan.readNoise * plan.readNoise);
                const double v = std::round(signal + sigma * normal(rng));
                img.u16[(size_t(p) * size_t(h) + size_t(y)) * size_t(w) + size_t(x)] =
                    uint16_t(std::clamp(v, 0.0, 65535.0));
            }
    for (int k = 0; k < plan.hotPixels; ++k) {
        const int x = int(unit(rng) * w), y = int(unit(rng) * h);
        const uint16_t v = uint16_t(5000 + unit(rng) * 60535);
        for (int p = 0; p < planes; ++p)
            img.u16[(size_t(p) * size_t(h) + size_t(y)) * size_t(w) + size_t(x)] = v;
        out.hotX.push_back(x);
        out.hotY.push_back(y);
    }
    out.noiseSigma = std::sqrt(plan.sky / plan.gain + plan.readNoise * plan.readNoise);
    return out;
}
