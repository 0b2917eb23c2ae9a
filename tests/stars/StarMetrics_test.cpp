// The star measure on synthetic frames of known stars: widths and shapes against the truth, the
// stars found and the ones that are not stars, and the frames without any.
#include "StarFields.h"
#include "stars/StarMetrics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct Truth {
    const char* name;
    StarFieldPlan plan;
};

StarFieldPlan field(double fwhm, double beta, double ecc, int stars, int size = 1024,
                    StarFieldPlan::Layout layout = StarFieldPlan::Mono)
{
    StarFieldPlan s;
    s.fwhm = fwhm;
    s.beta = beta;
    s.eccentricity = ecc;
    s.stars = stars;
    s.width = s.height = size;
    s.layout = layout;
    s.seed = unsigned(fwhm * 100 + beta * 10 + ecc * 1000 + stars);
    return s;
}

TEST(StarMetrics, WidthsShapesAndStarsFoundMatchTheTruth)
{
    const Truth cases[] = {
        {"Gaussian 2 px, round", field(2, 0, 0, 800)},
        {"Gaussian 3.53 px, e 0.3", field(3.53, 0, 0.3, 500)},
        {"Gaussian 5 px, e 0.6", field(5, 0, 0.6, 400)},
        {"Gaussian 8 px, e 0.15", field(8, 0, 0.15, 200)},
        {"Moffat β 2.5, 2 px, e 0.45", field(2, 2.5, 0.45, 600)},
        {"Moffat β 4.765, 4 px, round", field(4, 4.765, 0, 500)},
        {"Moffat β 2.5, 6 px, e 0.6", field(6, 2.5, 0.6, 300)},
        {"Moffat β 3, 8 px, e 0.2", field(8, 3, 0.2, 250)},
        {"3000 Gaussian stars of 3 px, e 0.1", field(3, 0, 0.1, 3000, 2048)},
        {"9 MP, searched binned, Gaussian 2 px, e 0.3", field(2, 0, 0.3, 1500, 3000)},
        {"three colour planes", field(4, 0, 0.3, 400, 1024, StarFieldPlan::ThreePlanes)},
        {"colour mosaic", field(5, 3, 0.3, 400, 1024, StarFieldPlan::Mosaic)},
    };
    for (const Truth& c : cases) {
        SCOPED_TRACE(c.name);
        const StarFieldFrame f = makeStarField(c.plan);
        const StarField got = measureStarField(f.image);
        const StarMetrics& m = got.metrics;
        EXPECT_EQ(m.flags, 0u);
        EXPECT_NEAR(m.fwhm, c.plan.fwhm, 0.03 * c.plan.fwhm);
        EXPECT_NEAR(m.eccentricity, c.plan.eccentricity, 0.03);
        if (c.plan.beta == 0 && c.plan.eccentricity == 0) {
            // Half the FWHM for a Gaussian, a little more once spread over the pixels.
            EXPECT_NEAR(m.hfr, c.plan.fwhm / 2 * 1.06, 0.06 * c.plan.fwhm / 2);
        }
        if (c.plan.layout == StarFieldPlan::Mono) {
            EXPECT_NEAR(m.background, c.plan.sky, 0.03 * c.plan.sky);
            EXPECT_NEAR(m.noise, f.noiseSigma, 0.1 * f.noiseSigma);
        }

        auto foundNear = [&](double x, double y, double radius) {
            for (const StarSpot& s : got.stars)
                if (std::hypot(s.x - x, s.y - y) < radius)
                    return true;
            return false;
        };
        // Stars 10 σ above the sky, unsaturated, clear of the border, of a brighter star's light and
        // of hot pixels.
        const double margin = 2 * c.plan.fwhm + 3;
        auto nearHot = [&](double x, double y, double radius) {
            for (size_t k = 0; k < f.hotX.size(); ++k)
                if (std::hypot(f.hotX[k] - x, f.hotY[k] - y) < radius)
                    return true;
            return false;
        };
        int bright = 0, found = 0;
        for (const TrueStar& t : f.stars) {
            if (t.saturated || t.peak < 10 * f.noiseSigma || t.x < margin || t.y < margin ||
                t.x > c.plan.width - margin || t.y > c.plan.height - margin || nearHot(t.x, t.y, margin))
                continue;
            bool blended = false;
            for (const TrueStar& o : f.stars)
                blended |= &o != &t && o.peak >= t.peak && std::hypot(o.x - t.x, o.y - t.y) < 3 * c.plan.fwhm;
            if (blended)
                continue;
            ++bright;
            found += foundNear(t.x, t.y, std::max(1.5, 0.5 * c.plan.fwhm));
        }
        EXPECT_GE(found, 0.95 * bright) << found << " of " << bright;
        // No hot pixel counted as a star (unless a star lies on it).
        for (size_t k = 0; k < f.hotX.size(); ++k) {
            bool onStar = false;
            for (const TrueStar& t : f.stars)
                onStar |= std::hypot(t.x - f.hotX[k], t.y - f.hotY[k]) < c.plan.fwhm + 2;
            if (!onStar) {
                EXPECT_FALSE(foundNear(f.hotX[k], f.hotY[k], 1.5)) << f.hotX[k] << "," << f.hotY[k];
            }
        }
    }
}

// Frames without a star to measure, or without data: flags and zeros, never NaN, never a crash.
TEST(StarMetrics, FramesWithoutStarsOrDataGiveTheirFlag)
{
    StarFieldPlan noise = field(3, 0, 0, 0, 1024);
    noise.saturated = 0;
    const LinearImage pureNoise = makeStarField(noise).image;  // hot pixels included
    noise.width = noise.height = 3000;
    const LinearImage largeNoise = makeStarField(noise).image;
    LinearImage constant = pureNoise;
    std::fill(constant.u16.begin(), constant.u16.end(), uint16_t(1000));
    LinearImage tiny = pureNoise;
    tiny.width = tiny.height = 8;
    tiny.u16.resize(64);
    LinearImage truncated = pureNoise;
    truncated.u16.resize(truncated.u16.size() / 2);
    LinearImage blankFrame;
    blankFrame.width = blankFrame.height = 512;
    blankFrame.f32.assign(512 * 512, std::numeric_limits<float>::quiet_NaN());
    const struct {
        const char* name;
        LinearImage image;
        unsigned flags;
    } cases[] = {
        {"pure noise with hot pixels", pureNoise, StarsNone},
        {"pure noise, 9 MP (searched binned)", largeNoise, StarsNone},
        {"constant", constant, StarsNone},
        {"8 × 8", tiny, StarsNone},
        {"half its samples", truncated, StarsUnreadable},
        {"no data", LinearImage{}, StarsUnreadable},
        {"every pixel blank", blankFrame, StarsNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const StarMetrics m = measureStars(c.image);
        EXPECT_EQ(m.flags, c.flags);
        EXPECT_EQ(m.stars, 0);
        EXPECT_EQ(m.fwhm, 0);
        EXPECT_EQ(m.eccentricity, 0);
        for (double v : {m.hfr, m.background, m.noise, m.snrWeight})
            EXPECT_TRUE(std::isfinite(v));
    }
}

// Float data with a blank band (a registered frame's edge), and a field too crowded to deblend:
// stars measured where there are stars, none on the blank, and no failure.
TEST(StarMetrics, BlankBandsAndCrowdedFieldsAreMeasured)
{
    const StarFieldFrame f = makeStarField(field(4, 0, 0.3, 500));
    LinearImage banded = f.image;
    banded.f32.assign(banded.u16.begin(), banded.u16.end());
    banded.u16.clear();
    banded.nominalMax = 0;
    for (int y = 0; y < banded.height; ++y)
        for (int x = 0; x < 200; ++x)
            banded.f32[size_t(y) * size_t(banded.width) + size_t(x)] = std::numeric_limits<float>::quiet_NaN();
    const StarField got = measureStarField(banded);
    EXPECT_EQ(got.metrics.flags, 0u);
    EXPECT_NEAR(got.metrics.fwhm, 4, 0.12);
    for (const StarSpot& s : got.stars)
        EXPECT_GT(s.x, 200);

    StarFieldPlan crowd = field(4, 0, 0, 8000, 1024);
    const StarMetrics m = measureStars(makeStarField(crowd).image);
    EXPECT_TRUE(std::isfinite(m.fwhm));
    EXPECT_GT(m.stars, 0);
}

}  // namespace
