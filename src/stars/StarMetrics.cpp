#include "stars/StarMetrics.h"

#include "stars/StarFit.h"
#include "stars/StarImage.h"

// sep.h declares C functions without saying so.
extern "C" {
#include <sep.h>
}

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>

namespace {

constexpr double kDetectSigma = 5;  // detection and keeping threshold, in σ
constexpr int kMinArea = 5;         // pixels above the threshold for a source
constexpr int kBackgroundTile = 64; // frame pixels a side of a background tile
constexpr int kExtractTries = 4;    // the threshold doubles at each retry
// A source whose four neighbours of its brightest pixel average less than this share of it is a
// hot pixel or a cosmic ray: a star of 2 px FWHM gives them about half its peak. A binned mosaic
// halves the stars' widths, so it is given more room.
constexpr double kHotShare = 0.2, kHotShareBinned = 0.08;
// Within this share of the clipping level a star is saturated (its core is flat or non-linear).
constexpr double kSaturatedShare = 0.95;
// Many samples at exactly the frame's largest value: a clipping level.
constexpr int64_t kClippedSamples = 4;
constexpr double kHfrRadius = 3;    // the flux radius is taken within this many FWHM

const float kSmoothing[9] = {1, 2, 1, 2, 4, 2, 1, 2, 1};
// σ of white noise after kSmoothing (normalised): sqrt(Σk²) / Σk.
const double kSmoothedNoise = 6.0 / 16.0;

struct BkgDeleter {
    void operator()(sep_bkg* b) const { sep_bkg_free(b); }
};
struct CatalogDeleter {
    void operator()(sep_catalog* c) const { sep_catalog_free(c); }
};

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    const size_t mid = v.size() / 2;
    std::nth_element(v.begin(), v.begin() + long(mid), v.end());
    double m = v[mid];
    if (v.size() % 2 == 0)
        m = 0.5 * (m + *std::max_element(v.begin(), v.begin() + long(mid)));
    return m;
}

// SEP's limits are process-wide: the pixel stack (pixels of the objects open at once, which a
// nebula or a large galaxy fills) is raised once.
void configureSep()
{
    static std::once_flag once;
    std::call_once(once, [] {
        sep_set_extract_pixstack(1000000);
        sep_set_sub_object_limit(4096);
    });
}

sep_image sepImage(const float* data, int w, int h)
{
    sep_image im{};
    im.data = data;
    im.dtype = SEP_TFLOAT;
    im.w = w;
    im.h = h;
    im.noise_type = SEP_NOISE_NONE;
    return im;
}

// Takes the background away from the image, evaluating SEP's spline on the sparse grid's rows and
// halfway between them; blank pixels become 0 and are marked.
void subtractBackground(StarImage& img, const sep_bkg* bkg, std::vector<uint8_t>& blank)
{
    if (img.anyBlank)
        blank.assign(img.data.size(), 0);
    const bool sparse = !img.sparse.empty();
    const int lineWidth = sparse ? img.sparseWidth : img.width;
    // Two rows of the sparse grid's background at a time: lo at row ys, hi at row ys + 1.
    const size_t n = size_t(lineWidth);
    std::vector<float> lo(n), hi(n), row(static_cast<size_t>(img.width));
    int loRow = -1, hiRow = -1;
    auto load = [&](int y, std::vector<float>& buf, int& have) {
        if (have != y) {
            sep_bkg_line(bkg, y, buf.data(), SEP_TFLOAT);
            have = y;
        }
    };
    for (int y = 0; y < img.height; ++y) {
        if (!sparse) {
            load(y, row, loRow);
        } else {
            const int ys = y / 2, ys1 = std::min(ys + 1, img.sparseHeight - 1);
            if (hiRow == ys) {
                std::swap(lo, hi);
                std::swap(loRow, hiRow);
            }
            load(ys, lo, loRow);
            const bool between = y % 2 && ys1 != ys;
            if (between)
                load(ys1, hi, hiRow);
            for (int x = 0; x < img.width; ++x) {
                const size_t j = size_t(x / 2), j1 = size_t(std::min(x / 2 + 1, lineWidth - 1));
                float v = x % 2 ? 0.5f * (lo[j] + lo[j1]) : lo[j];
                if (between)
                    v = 0.5f * (v + (x % 2 ? 0.5f * (hi[j] + hi[j1]) : hi[j]));
                row[size_t(x)] = v;
            }
        }
        float* d = img.data.data() + size_t(y) * size_t(img.width);
        for (int x = 0; x < img.width; ++x)
            d[x] -= row[size_t(x)];
        if (img.anyBlank)
            for (int x = 0; x < img.width; ++x)
                if (std::isnan(d[x])) {
                    d[x] = 0;
                    blank[size_t(y) * size_t(img.width) + size_t(x)] = 1;
                }
    }
}

struct Candidate {
    int object;
    double peak;
};

// The neighbours that spoil a fit: objects near enough to put their light in the window, found on
// a coarse grid of the catalog.
class NeighbourGrid {
public:
    NeighbourGrid(const sep_catalog& cat, int w, int h) : cat_(cat), nx_(w / kCell + 1), ny_(h / kCell + 1)
    {
        cells_.resize(size_t(nx_) * size_t(ny_));
        for (int i = 0; i < cat.nobj; ++i)
            cells_[cell(cat.x[i], cat.y[i])].push_back(i);
    }
    // Whether an object other than self, brighter than minPeak, lies within radius of (x, y).
    bool crowded(int self, double x, double y, double radius, double minPeak) const
    {
        const int cx0 = std::max(0, int((x - radius) / kCell)), cx1 = std::min(nx_ - 1, int((x + radius) / kCell));
        const int cy0 = std::max(0, int((y - radius) / kCell)), cy1 = std::min(ny_ - 1, int((y + radius) / kCell));
        for (int cy = cy0; cy <= cy1; ++cy)
            for (int cx = cx0; cx <= cx1; ++cx)
                for (int i : cells_[size_t(cy) * size_t(nx_) + size_t(cx)])
                    if (i != self && cat_.peak[i] >= minPeak && std::hypot(cat_.x[i] - x, cat_.y[i] - y) < radius)
                        return true;
        return false;
    }

private:
    static constexpr int kCell = 32;
    size_t cell(double x, double y) const
    {
        const int cx = std::clamp(int(x / kCell), 0, nx_ - 1), cy = std::clamp(int(y / kCell), 0, ny_ - 1);
        return size_t(cy) * size_t(nx_) + size_t(cx);
    }
    const sep_catalog& cat_;
    int nx_, ny_;
    std::vector<std::vector<int>> cells_;
};

// Half-maximum width from the count of the object's pixels at or above half its peak.
double roughFwhm(const sep_catalog& cat, int i, const float* data)
{
    int n = 0;
    const float half = 0.5f * cat.peak[i];
    for (int k = 0; k < cat.npix[i]; ++k)
        n += data[cat.pix[i][k]] >= half;
    return std::max(1.5, 2 * std::sqrt(n / M_PI));
}

}  // namespace

StarField measureStarField(const LinearImage& frame)
{
    StarField out;
    StarMetrics& m = out.metrics;
    StarImage img;
    if (!makeStarImage(frame, img)) {
        m.flags = StarsUnreadable;
        return out;
    }
    m.flags = StarsNone;
    if (img.width < 16 || img.height < 16)
        return out;
    configureSep();

    // The background map and its noise, on the sparse grid when there is one (half-size tiles there).
    const bool sparse = !img.sparse.empty();
    const sep_image bkgImage = sparse ? sepImage(img.sparse.data(), img.sparseWidth, img.sparseHeight)
                                      : sepImage(img.data.data(), img.width, img.height);
    int tile = kBackgroundTile / img.scale / (sparse ? 2 : 1);
    tile = std::max(8, std::min({tile, bkgImage.w / 2, bkgImage.h / 2}));
    sep_bkg* rawBkg = nullptr;
    if (sep_background(&bkgImage, tile, tile, 3, 3, 0.0, &rawBkg) != 0 || !rawBkg)
        return out;
    const std::unique_ptr<sep_bkg, BkgDeleter> bkg(rawBkg);
    m.background = median(std::vector<double>(bkg->back, bkg->back + bkg->n));
    m.noise = median(std::vector<double>(bkg->sigma, bkg->sigma + bkg->n));
    if (!std::isfinite(m.background) || !std::isfinite(m.noise) || !(m.noise > 0)) {
        m.background = std::isfinite(m.background) ? m.background : 0;
        m.noise = 0;
        return out;
    }
    std::vector<uint8_t> blank;
    subtractBackground(img, bkg.get(), blank);

    // Sources on the smoothed image; a field too crowded for SEP's buffers is tried again higher.
    const sep_image image = sepImage(img.data.data(), img.width, img.height);
    sep_catalog* rawCat = nullptr;
    double thresh = kDetectSigma * kSmoothedNoise * m.noise;
    int status = -1;
    for (int t = 0; t < kExtractTries && status != 0; ++t, thresh *= 2) {
        rawCat = nullptr;
        status = sep_extract(&image, float(thresh), SEP_THRESH_ABS, kMinArea, kSmoothing, 3, 3, SEP_FILTER_CONV, 32,
                             0.005, 0, 1.0, &rawCat);
        if (status != 0 && rawCat)
            sep_catalog_free(rawCat);
    }
    if (status != 0 || !rawCat)
        return out;
    const std::unique_ptr<sep_catalog, CatalogDeleter> catHolder(rawCat);
    const sep_catalog& cat = *rawCat;

    // The clipping level: where many samples stop at one value, that value; else the type's top.
    const double clip = img.atLargest >= kClippedSamples || frame.nominalMax <= 0 ? img.largest : frame.nominalMax;
    const double hotShare = img.scale > 1 ? kHotShareBinned : kHotShare;
    const int w = img.width, h = img.height;
    const float* data = img.data.data();
    std::vector<Candidate> kept;
    double dbx = -1, dby = -1;
    if (getenv("STARDEBUG")) sscanf(getenv("STARDEBUG"), "%lf,%lf", &dbx, &dby);
    for (int i = 0; i < cat.nobj; ++i) {
        const double peak = cat.peak[i];
        if (dbx >= 0 && std::hypot(cat.x[i]*img.scale - dbx, cat.y[i]*img.scale - dby) < 15) {
            const int xp = cat.xpeak[i], yp = cat.ypeak[i];
            const size_t c = size_t(yp) * size_t(w) + size_t(xp);
            const double around = 0.25 * (double(data[c - 1]) + data[c + 1] + data[c - size_t(w)] + data[c + size_t(w)]);
            fprintf(stderr, "obj %d at %.1f,%.1f peak %.0f (%d,%d) flag %d bbox %d-%d %d-%d around %.2f sat %d thresh %.1f noise %.1f npix %d\n", i, cat.x[i], cat.y[i], peak, xp, yp, cat.flag[i], cat.xmin[i], cat.xmax[i], cat.ymin[i], cat.ymax[i], around/peak,
              (int)frameReaches(frame, img.scale, cat.xmin[i], cat.ymin[i], cat.xmax[i], cat.ymax[i], kSaturatedShare * clip), thresh, m.noise, cat.npix[i]);
        }
        if (!(peak >= kDetectSigma * m.noise))
            continue;
        if ((cat.flag[i] & SEP_OBJ_TRUNC) || cat.xmin[i] <= 0 || cat.ymin[i] <= 0 || cat.xmax[i] >= w - 1 ||
            cat.ymax[i] >= h - 1)
            continue;
        const int xp = cat.xpeak[i], yp = cat.ypeak[i];
        if (xp <= 0 || yp <= 0 || xp >= w - 1 || yp >= h - 1)
            continue;
        const size_t c = size_t(yp) * size_t(w) + size_t(xp);
        const double around = 0.25 * (double(data[c - 1]) + data[c + 1] + data[c - size_t(w)] + data[c + size_t(w)]);
        if (around < hotShare * peak)
            continue;
        if (!blank.empty()) {
            bool touches = false;
            for (int y = cat.ymin[i] - 1; y <= cat.ymax[i] + 1 && !touches; ++y)
                for (int x = cat.xmin[i] - 1; x <= cat.xmax[i] + 1 && !touches; ++x)
                    touches = blank[size_t(y) * size_t(w) + size_t(x)];
            if (touches)
                continue;
        }
        if (frameReaches(frame, img.scale, cat.xmin[i], cat.ymin[i], cat.xmax[i], cat.ymax[i],
                         kSaturatedShare * clip))
            continue;
        kept.push_back({i, peak});
        StarSpot s;
        s.x = img.scale * cat.x[i] + 0.5 * (img.scale - 1);
        s.y = img.scale * cat.y[i] + 0.5 * (img.scale - 1);
        s.peak = peak;
        out.stars.push_back(s);
    }
    m.stars = int(kept.size());
    if (kept.empty())
        return out;
    m.flags = 0;

    // The brightest isolated stars, fitted.
    std::vector<int> order(kept.size());
    for (size_t k = 0; k < order.size(); ++k)
        order[k] = int(k);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return kept[size_t(a)].peak > kept[size_t(b)].peak; });
    const NeighbourGrid grid(cat, w, h);
    // The shot noise per unit of signal, read from the sky as if its noise were all shot noise: an
    // offset in the data or read noise only make it smaller, and the fit less weighted.
    const double shotNoise = m.background > m.noise ? m.noise * m.noise / m.background : 0;
    std::vector<double> fwhms, hfrs, snrs;
    std::vector<StarFit> fits;
    int tried = 0;
    for (int k : order) {
        if (int(fwhms.size()) >= kMaxFittedStars || tried >= 2 * kMaxFittedStars)
            break;
        const int i = kept[size_t(k)].object;
        StarGuess g;
        g.x = cat.x[i];
        g.y = cat.y[i];
        g.peak = cat.peak[i];
        g.fwhm = roughFwhm(cat, i, data);
        g.cxx = cat.cxx[i];
        g.cyy = cat.cyy[i];
        g.cxy = cat.cxy[i];
        g.noise = m.noise;
        g.shotNoise = shotNoise;
        // Light of a neighbour above a twentieth of the star within the fit's window biases it.
        if (grid.crowded(i, g.x, g.y, 2.5 * g.fwhm + 4, 0.05 * g.peak))
            continue;
        ++tried;
        const std::optional<StarFit> f = fitStar(data, w, h, blank.empty() ? nullptr : blank.data(), g);
        if (!f)
            continue;
        const double fluxFraction = 0.5;
        double hfr = 0;
        short flag = 0;
        if (sep_flux_radius(&image, f->x, f->y, kHfrRadius * f->fwhm, 0, 5, 0, nullptr, &fluxFraction, 1, &hfr, &flag) != 0 ||
            !std::isfinite(hfr))
            hfr = 0;
        const double chiSq = f->chi1 * f->chi1 + f->chi2 * f->chi2 - f->chiNoise;
        if (getenv("STARCHI")) fprintf(stderr, "chi %g %g noise %g peak %g fwhm %g u %g x %g y %g\n", f->chi1, f->chi2, f->chiNoise, g.peak, f->fwhm, f->u, f->x, f->y);
        fwhms.push_back(f->fwhm);
        if (hfr > 0)
            hfrs.push_back(hfr);
        fits.push_back(*f);
        snrs.push_back(f->flux / (m.noise * std::sqrt(M_PI / (2 * std::log(2.0))) * f->fwhm));
        StarSpot& s = out.stars[size_t(k)];
        s.fitted = true;
        s.x = img.scale * f->x + 0.5 * (img.scale - 1);
        s.y = img.scale * f->y + 0.5 * (img.scale - 1);
        s.fwhm = img.scale * f->fwhm;
        s.hfr = img.scale * hfr;
        s.eccentricity = eccentricityOfChi(std::sqrt(std::max(0.0, chiSq)));
        s.flux = f->flux;
    }
    m.fitted = int(fwhms.size());
    if (fwhms.empty()) {
        m.flags = StarsUnfitted;
        return out;
    }
    m.fwhm = img.scale * median(fwhms);
    m.hfr = img.scale * median(hfrs);
    m.eccentricity = frameEccentricity(fits);
    m.snrWeight = median(snrs);
    return out;
}

StarMetrics measureStars(const LinearImage& frame) { return measureStarField(frame).metrics; }
