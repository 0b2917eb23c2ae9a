#include "stars/StarMetrics.h"

#include "platform/Statistics.h"

#include "stars/StarFit.h"
#include "stars/StarImage.h"

#include <cstddef>  // sep.h uses size_t without including its header
// sep.h declares C functions without saying so.
extern "C" {
#include <sep.h>
}

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr double kDetectSigma = 5;  // detection and keeping threshold, in σ
// Pixels above the threshold for a source; a binned image's pixels are four, and its smallest stars
// span only a few of them.
constexpr int kMinArea = 5, kMinAreaBinned = 3;
constexpr int kBackgroundTile = 64; // frame pixels a side of a background tile
constexpr int kExtractTries = 5;
// Deblending is most of the extraction's cost, and 8 levels part neighbouring stars as well as
// SEP's default 32 in fields of stars.
constexpr int kDeblendLevels = 8;
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

// SEP's error code for a full pixel stack.
constexpr int kSepPixstackFull = 2;
// The pixel stack (pixels of the objects open at once): SEP's default, and what a nebula or a large
// galaxy that fills it is given for another try. SEP sets every entry at each search, so a large
// stack costs every frame: the setting (SEP's, process-wide, read as a search starts) goes back to
// the default after the retry.
constexpr size_t kPixstack = 300000, kLargePixstack = 4000000;

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

// Takes the background away from the image, evaluating SEP's spline on the half-size grid's rows
// and halfway between them; blank pixels become 0 and are marked.
void subtractBackground(StarImage& img, const sep_bkg* bkg, std::vector<uint8_t>& blank)
{
    if (img.anyBlank)
        blank.assign(img.data.size(), 0);
    // The map was made on a half-size grid (binned or sparse) or on the image itself.
    const bool sparse = !img.binned.empty() || !img.sparse.empty();
    const int lineWidth = !img.binned.empty() ? img.binnedWidth : sparse ? img.sparseWidth : img.width;
    const int lineCount = !img.binned.empty() ? img.binnedHeight : img.sparseHeight;
    // Two rows of the sparse grid's background at a time: lo at row ys, hi at row ys + 1.
    const size_t n = size_t(lineWidth);
    std::vector<float> lo(n), hi(n), mid(n), row(static_cast<size_t>(img.width));
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
            const int ys = std::min(y / 2, lineCount - 1), ys1 = std::min(ys + 1, lineCount - 1);
            if (hiRow == ys) {
                std::swap(lo, hi);
                std::swap(loRow, hiRow);
            }
            load(ys, lo, loRow);
            const bool between = y % 2 && ys1 != ys;
            if (between)
                load(ys1, hi, hiRow);
            // The sparse grid's background at its own columns, halfway between them in between.
            const float* a = lo.data();
            if (between) {
                for (int x = 0; x < lineWidth; ++x)
                    mid[size_t(x)] = 0.5f * (lo[size_t(x)] + hi[size_t(x)]);
                a = mid.data();
            }
            for (int x = 0; x + 1 < img.width; x += 2) {
                row[size_t(x)] = a[x / 2];
                row[size_t(x) + 1] = 0.5f * (a[x / 2] + a[std::min(x / 2 + 1, lineWidth - 1)]);
            }
            if (img.width % 2)
                row[size_t(img.width) - 1] = a[lineWidth - 1];
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

// A source in the measured image's pixels: its brightest pixel, the box it spans.
struct Source {
    int object;  // in the catalog
    double x, y;
    int xp, yp;
    double peak;
    int x0, y0, x1, y1;
};

// The neighbours that spoil a fit: sources near enough to put their light in the window, found on
// a coarse grid.
class NeighbourGrid {
public:
    NeighbourGrid(const sep_catalog& cat, int scale, int w, int h)
        : cat_(cat), scale_(scale), nx_(w / kCell + 1), ny_(h / kCell + 1)
    {
        cells_.resize(size_t(nx_) * size_t(ny_));
        for (int i = 0; i < cat.nobj; ++i)
            cells_[cell(scale * cat.x[i], scale * cat.y[i])].push_back(i);
    }
    // Whether a source other than self, of a catalog peak above minPeak, lies within radius of (x, y).
    bool crowded(int self, double x, double y, double radius, double minPeak) const
    {
        const int cx0 = std::max(0, int((x - radius) / kCell)), cx1 = std::min(nx_ - 1, int((x + radius) / kCell));
        const int cy0 = std::max(0, int((y - radius) / kCell)), cy1 = std::min(ny_ - 1, int((y + radius) / kCell));
        for (int cy = cy0; cy <= cy1; ++cy)
            for (int cx = cx0; cx <= cx1; ++cx)
                for (int i : cells_[size_t(cy) * size_t(nx_) + size_t(cx)])
                    if (i != self && cat_.peak[i] >= minPeak &&
                        std::hypot(scale_ * cat_.x[i] - x, scale_ * cat_.y[i] - y) < radius)
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
    int scale_, nx_, ny_;
    std::vector<std::vector<int>> cells_;
};

// σ of the background-subtracted image from every 16th row: 1.4826 × the median absolute value,
// which the few pixels of stars barely move. Blank pixels are left out.
double robustNoise(const StarImage& img, const std::vector<uint8_t>& blank)
{
    std::vector<float> v;
    v.reserve(size_t(img.width) * size_t(img.height / 16 + 1));
    for (int y = 0; y < img.height; y += 16) {
        const size_t row = size_t(y) * size_t(img.width);
        for (int x = 0; x < img.width; ++x)
            if (blank.empty() || !blank[row + size_t(x)])
                v.push_back(std::abs(img.data.data()[row + size_t(x)]));
    }
    if (v.empty())
        return 0;
    std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
    return 1.4826 * v[v.size() / 2];
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

    // The background map: on the binned copy when there is one (large frames, which are also
    // searched for sources there), else on the sparse grid, else on the image itself.
    const bool binned = !img.binned.empty(), sparse = !img.sparse.empty();
    const sep_image bkgImage = binned   ? sepImage(img.binned.data(), img.binnedWidth, img.binnedHeight)
                               : sparse ? sepImage(img.sparse.data(), img.sparseWidth, img.sparseHeight)
                                        : sepImage(img.data.data(), img.width, img.height);
    const int tile = std::max(8, std::min({kBackgroundTile / img.scale / (binned || sparse ? 2 : 1), bkgImage.w / 2,
                                           bkgImage.h / 2}));
    sep_bkg* rawBkg = nullptr;
    if (sep_background(&bkgImage, tile, tile, 3, 3, 0.0, &rawBkg) != 0 || !rawBkg)
        return out;
    const std::unique_ptr<sep_bkg, BkgDeleter> bkg(rawBkg);
    m.background = median(std::vector<double>(bkg->back, bkg->back + bkg->n));
    const double mapNoise = median(std::vector<double>(bkg->sigma, bkg->sigma + bkg->n));
    if (!std::isfinite(m.background) || !std::isfinite(mapNoise) || !(mapNoise > 0)) {
        m.background = std::isfinite(m.background) ? m.background : 0;
        return out;
    }
    std::vector<uint8_t> blank;
    subtractBackground(img, bkg.get(), blank);
    // The binned copy's noise is its own; the measured image's is read from the image.
    m.noise = binned ? robustNoise(img, blank) : mapNoise;
    if (!(m.noise > 0) || !std::isfinite(m.noise)) {
        m.noise = 0;
        return out;
    }

    // Sources on the smoothed detection image.
    const int ds = binned ? 2 : 1;  // measured pixels per detection pixel
    if (binned) {
        sep_bkg_subarray(bkg.get(), img.binned.data(), SEP_TFLOAT);
        std::replace_if(img.binned.data(), img.binned.data() + img.binned.size(), [](float v) { return std::isnan(v); }, 0.0f);
    }
    const sep_image detection = binned ? sepImage(img.binned.data(), img.binnedWidth, img.binnedHeight)
                                       : sepImage(img.data.data(), img.width, img.height);
    sep_catalog* rawCat = nullptr;
    double thresh = kDetectSigma * kSmoothedNoise * mapNoise;
    int status = -1;
    for (int t = 0; t < kExtractTries && status != 0; ++t) {
        rawCat = nullptr;
        status = sep_extract(&detection, float(thresh), SEP_THRESH_ABS, binned ? kMinAreaBinned : kMinArea, kSmoothing,
                             3, 3, SEP_FILTER_CONV, kDeblendLevels, 0.005, 0, 1.0, &rawCat);
        if (status != 0 && rawCat)
            sep_catalog_free(rawCat);
        // A full pixel stack is tried again with a larger one, and then higher up; any other
        // failure (too many sub-objects, memory) higher up.
        if (status == kSepPixstackFull && sep_get_extract_pixstack() < kLargePixstack) {
            sep_set_extract_pixstack(kLargePixstack);
            continue;
        }
        sep_set_extract_pixstack(kPixstack);
        thresh *= 2;
    }
    sep_set_extract_pixstack(kPixstack);
    if (status != 0 || !rawCat)
        return out;
    const std::unique_ptr<sep_catalog, CatalogDeleter> catHolder(rawCat);
    const sep_catalog& cat = *rawCat;

    // Stars: bright enough, clear of the border and of blank pixels, not saturated, not hot pixels.
    // The clipping level: where many samples stop at one value, that value; else the type's top.
    const double clip = img.atLargest >= kClippedSamples || frame.nominalMax <= 0 ? img.largest : frame.nominalMax;
    const double hotShare = img.scale > 1 ? kHotShareBinned : kHotShare;
    const int w = img.width, h = img.height;
    const float* data = img.data.data();
    std::vector<Source> kept;
    for (int i = 0; i < cat.nobj; ++i) {
        if ((cat.flag[i] & SEP_OBJ_TRUNC) || cat.xmin[i] <= 0 || cat.ymin[i] <= 0 || cat.xmax[i] >= detection.w - 1 ||
            cat.ymax[i] >= detection.h - 1)
            continue;
        Source s{i, ds * cat.x[i] + 0.5 * (ds - 1), ds * cat.y[i] + 0.5 * (ds - 1), 0, 0, -INFINITY,
                 cat.xmin[i] * ds, cat.ymin[i] * ds, std::min(w - 1, cat.xmax[i] * ds + ds - 1),
                 std::min(h - 1, cat.ymax[i] * ds + ds - 1)};
        for (int y = s.y0; y <= s.y1; ++y)
            for (int x = s.x0; x <= s.x1; ++x)
                if (data[size_t(y) * size_t(w) + size_t(x)] > s.peak) {
                    s.peak = data[size_t(y) * size_t(w) + size_t(x)];
                    s.xp = x;
                    s.yp = y;
                }
        if (!(s.peak >= kDetectSigma * m.noise) || s.xp <= 0 || s.yp <= 0 || s.xp >= w - 1 || s.yp >= h - 1)
            continue;
        const size_t c = size_t(s.yp) * size_t(w) + size_t(s.xp);
        const double around = 0.25 * (double(data[c - 1]) + data[c + 1] + data[c - size_t(w)] + data[c + size_t(w)]);
        if (around < hotShare * s.peak)
            continue;
        bool touchesBlank = false;
        if (!blank.empty())
            for (int y = std::max(0, s.y0 - 1); y <= std::min(h - 1, s.y1 + 1) && !touchesBlank; ++y)
                for (int x = std::max(0, s.x0 - 1); x <= std::min(w - 1, s.x1 + 1) && !touchesBlank; ++x)
                    touchesBlank = blank[size_t(y) * size_t(w) + size_t(x)];
        if (touchesBlank || frameReaches(frame, img.scale, s.x0, s.y0, s.x1, s.y1, kSaturatedShare * clip))
            continue;
        kept.push_back(s);
        StarSpot spot;
        spot.x = img.scale * s.x + 0.5 * (img.scale - 1);
        spot.y = img.scale * s.y + 0.5 * (img.scale - 1);
        spot.peak = s.peak;
        out.stars.push_back(spot);
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
    const NeighbourGrid grid(cat, ds, w, h);
    // The shot noise per unit of signal, read from the sky as if its noise were all shot noise: an
    // offset in the data or read noise only make it smaller, and the fit less weighted.
    const double shotNoise = m.background > m.noise ? m.noise * m.noise / m.background : 0;
    const sep_image image = sepImage(data, w, h);
    std::vector<double> fwhms, hfrs, snrs;
    std::vector<StarFit> fits;
    int tried = 0;
    for (int k : order) {
        if (int(fits.size()) >= kMaxFittedStars || tried >= 2 * kMaxFittedStars)
            break;
        const Source& src = kept[size_t(k)];
        const int i = src.object;
        StarGuess g;
        g.x = src.x;
        g.y = src.y;
        g.peak = src.peak;
        int halfUp = 0;  // pixels of the box at half the peak or more
        for (int y = src.y0; y <= src.y1; ++y)
            for (int x = src.x0; x <= src.x1; ++x)
                halfUp += data[size_t(y) * size_t(w) + size_t(x)] >= 0.5 * src.peak;
        g.fwhm = std::max(1.5, 2 * std::sqrt(halfUp / M_PI));
        g.cxx = cat.cxx[i];
        g.cyy = cat.cyy[i];
        g.cxy = cat.cxy[i];
        g.noise = m.noise;
        g.shotNoise = shotNoise;
        // Light of a neighbour above a twentieth of the star within the fit's window biases it.
        if (grid.crowded(i, g.x, g.y, 2.5 * g.fwhm + 4, 0.05 * cat.peak[i]))
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
        if (hfr > 0)
            hfrs.push_back(hfr);
        fits.push_back(*f);
        fwhms.push_back(f->fwhm);
        snrs.push_back(f->flux / (m.noise * std::sqrt(M_PI / (2 * std::log(2.0))) * f->fwhm));
        StarSpot& s = out.stars[size_t(k)];
        s.fitted = true;
        s.x = img.scale * f->x + 0.5 * (img.scale - 1);
        s.y = img.scale * f->y + 0.5 * (img.scale - 1);
        s.fwhm = img.scale * f->fwhm;
        s.hfr = img.scale * hfr;
        s.eccentricity = eccentricityOfChi(std::sqrt(std::max(0.0, f->chi1 * f->chi1 + f->chi2 * f->chi2 - f->chiNoise)));
        s.flux = f->flux;
    }
    m.fitted = int(fits.size());
    if (fits.empty()) {
        m.flags = StarsUnfitted;
        return out;
    }
    m.fwhm = img.scale * median(fwhms);
    m.hfr = img.scale * median(hfrs);
    m.eccentricity = frameEccentricity(fits);
    for (double v : snrs)
        m.snrWeight += v;
    return out;
}

StarMetrics measureStars(const LinearImage& frame) { return measureStarField(frame).metrics; }
