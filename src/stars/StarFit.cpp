#include "stars/StarFit.h"

#include "stars/StarProfile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr int kParams = 8;  // x0, y0, A, B, p, r, s, u
enum { X0, Y0, AMP, SKY, P, R, S, U };
constexpr double kMaxU = 0.8;  // β ≥ 1.25: flatter wings than that hold no finite flux worth the name
constexpr int kMaxIterations = 40;
// A step that lowers the residuals by less than this share ends the fit: the widths have settled to
// far better than their noise (half the steps of going on to 1e-7, the same widths and shapes).
constexpr double kSettled = 1e-5;

using Vec = std::array<double, kParams>;
using Mat = std::array<std::array<double, kParams>, kParams>;

struct Pixel {
    float x, y, v;
    float w = 1;        // 1 / variance, relative to the sky's
    bool core = false;  // integrated over its area by the fit's rule; the wings by their centre
};

struct Sums {
    double chi2 = 0;
    Mat jtj{};
    Vec jtr{};
};

// The profile and its derivatives by q and u at one point, in single precision: the sums that use
// them are kept in double, and the exponentials are most of the fit's time.
inline void profile(double qd, double ud, double& f, double& dfdq, double& dfdu)
{
    const float q = float(qd), u = float(ud);
    if (u < 1e-6f) {
        const float e = std::exp(-q);
        f = e;
        dfdq = -e;
        dfdu = e * 0.5f * q * q;
        return;
    }
    const float uq = u * q;
    const float l = std::log1p(uq);
    const float e = std::exp(-l / u);
    f = e;
    dfdq = -e / (1 + uq);
    // d/du of -(1/u) log(1 + uq); its series near uq = 0 avoids the cancellation.
    const float g = uq < 1e-2f ? q * q * (0.5f - (2.0f / 3.0f) * uq + 0.75f * uq * uq) : l / (u * u) - q / (u * (1 + uq));
    dfdu = e * g;
}

bool validShape(const Vec& t)
{
    return t[AMP] > 0 && t[P] > 0 && t[R] > 0 && 4 * t[P] * t[R] - t[S] * t[S] > 0 && std::isfinite(t[X0]) &&
           std::isfinite(t[Y0]);
}

// A quadrature rule over a pixel's side: offsets from its centre and their weights (summing to 1).
struct Node {
    double offset, weight;
};
using Rule = std::vector<Node>;
const Rule kCentre{{0, 1}};

// The rule a pixel is integrated by: the profile curves most in the core, where the pixel's area
// changes its value most; in the wings the centre is enough, at a fraction of the cost.
const Rule& ruleOf(const Pixel& px, const Rule& rule) { return px.core ? rule : kCentre; }

// The model at one pixel, integrated over its area by the rule along both axes, and its gradient j.
double pixelModel(const Pixel& px, const Vec& t, const Rule& fitRule, Vec& j)
{
    const Rule& rule = ruleOf(px, fitRule);
    double f = 0, fx = 0, fy = 0, fp = 0, fr = 0, fs = 0, fu = 0;
    for (const Node& ny : rule)
        for (const Node& nx : rule) {
            const double dx = px.x + nx.offset - t[X0], dy = px.y + ny.offset - t[Y0];
            const double q = t[P] * dx * dx + t[R] * dy * dy + t[S] * dx * dy;
            double v, dq, du;
            profile(q, t[U], v, dq, du);
            const double w = nx.weight * ny.weight;
            v *= w;
            dq *= w;
            f += v;
            fx -= dq * (2 * t[P] * dx + t[S] * dy);
            fy -= dq * (2 * t[R] * dy + t[S] * dx);
            fp += dq * dx * dx;
            fr += dq * dy * dy;
            fs += dq * dx * dy;
            fu += du * w;
        }
    const double a = t[AMP];
    j = Vec{a * fx, a * fy, f, 1.0, a * fp, a * fr, a * fs, a * fu};
    return t[SKY] + a * f;
}

// The points of every pixel's rule and what the profile gives there, kept from one evaluation to
// the next.
struct Workspace {
    std::vector<float> dx, dy, q, f, dq, du;
};

// Residual sum of squares and the normal equations at t.
Sums evaluate(const std::vector<Pixel>& pixels, const Vec& t, const Rule& fitRule, Workspace& ws)
{
    size_t n = 0;
    for (const Pixel& px : pixels)
        n += ruleOf(px, fitRule).size() * ruleOf(px, fitRule).size();
    for (std::vector<float>* v : {&ws.dx, &ws.dy, &ws.q, &ws.f, &ws.dq, &ws.du})
        v->resize(n);
    size_t at = 0;
    for (const Pixel& px : pixels)
        for (const Rule& rule = ruleOf(px, fitRule); const Node& ny : rule)
            for (const Node& nx : rule) {
                const double dx = px.x + nx.offset - t[X0], dy = px.y + ny.offset - t[Y0];
                ws.dx[at] = float(dx);
                ws.dy[at] = float(dy);
                ws.q[at] = float(t[P] * dx * dx + t[R] * dy * dy + t[S] * dx * dy);
                ++at;
            }
    starProfile(ws.q.data(), int(n), float(t[U]), ws.f.data(), ws.dq.data(), ws.du.data());
    Sums s;
    at = 0;
    for (const Pixel& px : pixels) {
        const Rule& rule = ruleOf(px, fitRule);
        double f = 0, fx = 0, fy = 0, fp = 0, fr = 0, fs = 0, fu = 0;
        for (const Node& ny : rule)
            for (const Node& nx : rule) {
                const double w = nx.weight * ny.weight;
                const double dx = ws.dx[at], dy = ws.dy[at], dq = w * ws.dq[at];
                f += w * ws.f[at];
                fx -= dq * (2 * t[P] * dx + t[S] * dy);
                fy -= dq * (2 * t[R] * dy + t[S] * dx);
                fp += dq * dx * dx;
                fr += dq * dy * dy;
                fs += dq * dx * dy;
                fu += w * ws.du[at];
                ++at;
            }
        const double a = t[AMP];
        const Vec j{a * fx, a * fy, f, 1.0, a * fp, a * fr, a * fs, a * fu};
        const double res = px.v - (t[SKY] + a * f);
        s.chi2 += px.w * res * res;
        for (int i = 0; i < kParams; ++i) {
            const double wj = px.w * j[size_t(i)];
            s.jtr[size_t(i)] += wj * res;
            for (int c = i; c < kParams; ++c)
                s.jtj[size_t(i)][size_t(c)] += wj * j[size_t(c)];
        }
    }
    for (int i = 0; i < kParams; ++i)
        for (int c = 0; c < i; ++c)
            s.jtj[size_t(i)][size_t(c)] = s.jtj[size_t(c)][size_t(i)];
    return s;
}

// Solves m x = b by Gaussian elimination with partial pivoting; false when m is singular.
bool solve(Mat m, Vec b, Vec& x)
{
    for (int c = 0; c < kParams; ++c) {
        int best = c;
        for (int r = c + 1; r < kParams; ++r)
            if (std::abs(m[size_t(r)][size_t(c)]) > std::abs(m[size_t(best)][size_t(c)]))
                best = r;
        if (!(std::abs(m[size_t(best)][size_t(c)]) > 1e-300))
            return false;
        std::swap(m[size_t(c)], m[size_t(best)]);
        std::swap(b[size_t(c)], b[size_t(best)]);
        for (int r = c + 1; r < kParams; ++r) {
            const double k = m[size_t(r)][size_t(c)] / m[size_t(c)][size_t(c)];
            for (int j = c; j < kParams; ++j)
                m[size_t(r)][size_t(j)] -= k * m[size_t(c)][size_t(j)];
            b[size_t(r)] -= k * b[size_t(c)];
        }
    }
    for (int r = kParams - 1; r >= 0; --r) {
        double v = b[size_t(r)];
        for (int j = r + 1; j < kParams; ++j)
            v -= m[size_t(r)][size_t(j)] * x[size_t(j)];
        x[size_t(r)] = v / m[size_t(r)][size_t(r)];
    }
    return std::all_of(x.begin(), x.end(), [](double v) { return std::isfinite(v); });
}

std::vector<Pixel> windowPixels(const float* image, int width, int height, const uint8_t* blank, double cx, double cy,
                                int radius)
{
    std::vector<Pixel> pixels;
    const int x0 = int(std::lround(cx)), y0 = int(std::lround(cy));
    for (int y = std::max(0, y0 - radius); y <= std::min(height - 1, y0 + radius); ++y)
        for (int x = std::max(0, x0 - radius); x <= std::min(width - 1, x0 + radius); ++x) {
            if ((x - x0) * (x - x0) + (y - y0) * (y - y0) > radius * radius)
                continue;
            const size_t i = size_t(y) * size_t(width) + size_t(x);
            if (blank && blank[i])
                continue;
            pixels.push_back({float(x - x0), float(y - y0), image[i]});
        }
    return pixels;
}

double halfMaximumQ(double u) { return u < 1e-6 ? std::log(2.0) : (std::exp2(u) - 1) / u; }

// Levenberg–Marquardt from t (left at the best point found); the sums at that point.
Sums levenbergMarquardt(const std::vector<Pixel>& pixels, Vec& t, const Rule& rule)
{
    Workspace ws;
    Sums cur = evaluate(pixels, t, rule, ws);
    double lambda = 1e-3;
    for (int it = 0; it < kMaxIterations; ++it) {
        bool stepped = false;
        while (lambda < 1e10) {
            Mat h = cur.jtj;
            for (int i = 0; i < kParams; ++i)
                h[size_t(i)][size_t(i)] += lambda * std::max(cur.jtj[size_t(i)][size_t(i)], 1e-12);
            Vec d{};
            if (!solve(h, cur.jtr, d)) {
                lambda *= 10;
                continue;
            }
            Vec n = t;
            for (int i = 0; i < kParams; ++i)
                n[size_t(i)] += d[size_t(i)];
            n[U] = std::clamp(n[U], 0.0, kMaxU);
            if (!validShape(n)) {
                lambda *= 10;
                continue;
            }
            Sums next = evaluate(pixels, n, rule, ws);
            if (!(next.chi2 < cur.chi2)) {
                lambda *= 10;
                continue;
            }
            const double gain = (cur.chi2 - next.chi2) / std::max(cur.chi2, 1e-300);
            t = n;
            cur = next;
            lambda = std::max(lambda / 10, 1e-7);
            stepped = gain > kSettled;
            break;
        }
        if (!stepped)
            break;
    }
    return cur;
}

std::optional<StarFit> fitOnce(const float* image, int width, int height, const uint8_t* blank, const StarGuess& g,
                               int radius)
{
    // Pixel coordinates relative to the window's centre pixel keep the sums well conditioned.
    const double ox = double(std::lround(g.x)), oy = double(std::lround(g.y));
    std::vector<Pixel> pixels = windowPixels(image, width, height, blank, g.x, g.y, radius);
    if (int(pixels.size()) < 3 * kParams)
        return std::nullopt;
    // Gauss–Legendre points integrate the core's pixels over their area: three a side for the
    // smallest stars, whose shape would otherwise depend on where they fall on the pixel grid, two
    // below 8 px (one point reads a 5 px Moffat star 1.4 % wide), one beyond.
    static const Rule kThree{{-0.387298335, 5.0 / 18}, {0, 8.0 / 18}, {0.387298335, 5.0 / 18}};
    static const Rule kTwo{{-0.288675135, 0.5}, {0.288675135, 0.5}};
    const Rule& rule = g.fwhm < 3 ? kThree : g.fwhm < 8 ? kTwo : kCentre;
    const double core = g.fwhm + 1;
    for (Pixel& px : pixels)
        px.core = px.x * px.x + px.y * px.y <= core * core;

    Vec t{};
    t[X0] = g.x - ox;
    t[Y0] = g.y - oy;
    t[AMP] = std::max(g.peak, 1e-6);
    t[SKY] = 0;
    // The moments' ellipse scaled so that its half-maximum ellipse has the guessed width.
    const double target = 4 * std::log(2.0) / (g.fwhm * g.fwhm);
    const double det = g.cxx * g.cyy - 0.25 * g.cxy * g.cxy;
    if (std::isfinite(det) && det > 0 && g.cxx > 0) {
        const double k = target / std::sqrt(det);
        t[P] = k * g.cxx;
        t[R] = k * g.cyy;
        t[S] = k * g.cxy;
    } else {
        t[P] = t[R] = target;
        t[S] = 0;
    }
    t[U] = 0.2;

    // The core of a bright star carries its own shot noise, far above the sky's: each pixel is
    // weighted by the inverse of its variance, the sky's plus the star's light (of the first guess)
    // times the shot noise per unit of signal.
    if (g.shotNoise > 0 && g.noise > 0) {
        Vec j;
        for (Pixel& px : pixels)
            px.w = float(1 / (1 + g.shotNoise * std::max(0.0, pixelModel(px, t, rule, j) - t[SKY]) / (g.noise * g.noise)));
    }
    Sums cur = levenbergMarquardt(pixels, t, rule);
    if (!validShape(t))
        return std::nullopt;

    StarFit f;
    f.x = t[X0] + ox;
    f.y = t[Y0] + oy;
    f.amplitude = t[AMP];
    f.sky = t[SKY];
    f.u = t[U];
    const double p = t[P], r = t[R], s = t[S];
    const double mean = 0.5 * (p + r), diff = std::sqrt(0.25 * (p - r) * (p - r) + 0.25 * s * s);
    const double l1 = mean + diff, l2 = mean - diff;
    if (!(l2 > 0))
        return std::nullopt;
    const double qh = halfMaximumQ(f.u);
    f.fwhmMajor = 2 * std::sqrt(qh / l2);
    f.fwhmMinor = 2 * std::sqrt(qh / l1);
    f.fwhm = std::sqrt(f.fwhmMajor * f.fwhmMinor);
    f.chi1 = (p - r) / (p + r);
    f.chi2 = s / (p + r);
    f.flux = f.amplitude * M_PI / (std::sqrt(l1 * l2) * (1 - f.u));

    // The noise's share of |chi|²: var chi1 + var chi2 through the covariance of (p, r, s), taken
    // from the residuals r themselves (the weights are only a model of the noise): the sandwich
    // H⁻¹ (Σ w² r² J Jᵀ / (1 - h)) H⁻¹, h the pixel's leverage. The few core pixels that steer the
    // shape have a high leverage, and their residuals alone would read the noise too low.
    Mat inv{};
    for (int k = 0; k < kParams; ++k) {
        Vec e{}, col{};
        e[size_t(k)] = 1;
        if (!solve(cur.jtj, e, col))
            return std::nullopt;
        for (int i = 0; i < kParams; ++i)
            inv[size_t(i)][size_t(k)] = col[size_t(i)];
    }
    double cov[3][3] = {};
    Vec j;
    for (const Pixel& px : pixels) {
        const double res = px.v - pixelModel(px, t, rule, j);
        Vec hj{};
        double h = 0;
        for (int i = 0; i < kParams; ++i) {
            for (int k = 0; k < kParams; ++k)
                hj[size_t(i)] += inv[size_t(i)][size_t(k)] * j[size_t(k)];
            h += j[size_t(i)] * hj[size_t(i)];
        }
        h *= px.w;
        const double share = px.w * res / std::sqrt(std::max(1 - h, 0.05));
        // hj holds H⁻¹ J: its (p, r, s) entries are this pixel's pull on the shape.
        for (int a = 0; a < 3; ++a)
            for (int b = 0; b < 3; ++b)
                cov[a][b] += share * share * hj[size_t(P + a)] * hj[size_t(P + b)];
    }
    const double sum = p + r, sum2 = sum * sum;
    const double g1[3] = {2 * r / sum2, -2 * p / sum2, 0};
    const double g2[3] = {-s / sum2, -s / sum2, 1 / sum};
    double v1 = 0, v2 = 0;
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) {
            v1 += g1[a] * cov[a][b] * g1[b];
            v2 += g2[a] * cov[a][b] * g2[b];
        }
    f.chiNoise = std::max(0.0, v1 + v2);

    if (std::hypot(f.x - g.x, f.y - g.y) > 2 + 0.5 * g.fwhm || !std::isfinite(f.fwhm) || !std::isfinite(f.flux) ||
        !std::isfinite(f.chiNoise))
        return std::nullopt;
    return f;
}

}  // namespace

std::optional<StarFit> fitStar(const float* image, int width, int height, const uint8_t* blank, const StarGuess& guess)
{
    if (!(guess.fwhm > 0) || !std::isfinite(guess.x) || !std::isfinite(guess.y))
        return std::nullopt;
    auto radiusFor = [](double fwhm) { return std::clamp(int(std::ceil(2 * fwhm)) + 1, 4, 30); };
    int radius = radiusFor(guess.fwhm);
    std::optional<StarFit> f = fitOnce(image, width, height, blank, guess, radius);
    // A star wider than guessed needs its wings in the window: once more on a window of its size.
    if (f && radiusFor(f->fwhm) > radius + 1 && radius < 30) {
        StarGuess wider = guess;
        wider.fwhm = f->fwhm;
        radius = radiusFor(f->fwhm);
        f = fitOnce(image, width, height, blank, wider, radius);
    }
    // Narrower than a pixel is a hot pixel or a cosmic ray; wider than the window is a blend or a
    // nebula's knot.
    if (!f || f->fwhmMinor < 0.8 || f->fwhm > radius)
        return std::nullopt;
    return f;
}

double eccentricityOfChi(double chi)
{
    chi = std::clamp(chi, 0.0, 1.0);
    return std::sqrt(2 * chi / (1 + chi));
}

double frameEccentricity(const std::vector<StarFit>& fits)
{
    if (fits.empty())
        return 0;
    std::vector<double> own, noise;
    for (const StarFit& f : fits) {
        own.push_back(f.chi1 * f.chi1 + f.chi2 * f.chi2 - f.chiNoise);
        noise.push_back(f.chiNoise);
    }
    std::nth_element(own.begin(), own.begin() + long(own.size() / 2), own.end());
    const double scattered = own[own.size() / 2];
    // The standard error of that median, from the spread of the stars' values.
    std::vector<double> spread;
    for (double d : own)
        spread.push_back(std::abs(d - scattered));
    std::nth_element(spread.begin(), spread.begin() + long(spread.size() / 2), spread.end());
    const double scatteredError = 1.2533 * 1.4826 * spread[spread.size() / 2] / std::sqrt(double(own.size()));
    // Weights 1 / noise, floored so that no star whose noise reads too low outweighs the others;
    // stars more than 5 σ from the mean (blends, a neighbour's wing) are left out of a second pass.
    std::nth_element(noise.begin(), noise.begin() + long(noise.size() / 2), noise.end());
    const double floor = std::max(0.1 * noise[noise.size() / 2], 1e-12);
    double m1 = 0, m2 = 0;
    double aligned = 0;
    for (int pass = 0; pass < 2; ++pass) {
        double sw = 0, s1 = 0, s2 = 0, sw2v = 0;
        for (const StarFit& f : fits) {
            const double v = std::max(f.chiNoise, floor);
            if (pass == 1 && (f.chi1 - m1) * (f.chi1 - m1) + (f.chi2 - m2) * (f.chi2 - m2) > 25 * v)
                continue;
            const double w = 1 / v;
            sw += w;
            s1 += w * f.chi1;
            s2 += w * f.chi2;
            sw2v += w * w * f.chiNoise;
        }
        if (!(sw > 0))
            break;
        m1 = s1 / sw;
        m2 = s2 / sw;
        aligned = m1 * m1 + m2 * m2 - sw2v / (sw * sw);
    }
    // Stars elongated every which way show only in the median, which counts once it stands clear of
    // its own error: a noise read a little low would otherwise give round stars an eccentricity.
    const double chiSq = scattered > aligned + 3 * scatteredError ? scattered : aligned;
    return eccentricityOfChi(std::sqrt(std::max(0.0, chiSq)));
}
