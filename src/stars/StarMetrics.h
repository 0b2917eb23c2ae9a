#pragma once
// The stars of one deep-sky frame, measured on its linear data: how many, how wide, how round, and
// the sky they stand on.
//
// The measured image is the frame's mono data: the plane itself, the mean of three colour planes, or
// a colour mosaic binned 2 × 2 (the mean of each cell, so that the colours' different levels do not
// print a checkerboard on the sky and on every star). Widths of a binned mosaic are given back in
// the mosaic's own pixels; its background and noise are those of the binned image.
//
// Detection and photometry are those of Source Extractor through SEP: a background map on 64-pixel
// tiles with its noise, sources found on the background-subtracted image smoothed by the usual 3 × 3
// kernel where it stands 5 σ above the smoothed noise (on a 2 × 2 binned copy for images above
// 8 MP, where a star still spans enough pixels and the search costs a quarter). A source counts as
// a star when its brightest pixel stands at least 5 σ above the background, it is neither saturated
// (near the clipping level, or the type's top) nor touching the border or a blank pixel, and it
// covers several pixels (a hot pixel or a cosmic ray does not).
//
// Widths come from a fit of each star's profile, not from the moments: moments of the pixels above
// a threshold miss the wings and read Gaussian stars some 5 % too wide. The brightest isolated
// unsaturated stars (at most kMaxFittedStars) are fitted with an elliptical profile
// A (1 + u q)^(-1/u) over the sky (q the quadratic form of the ellipse; u = 1/β of a Moffat profile,
// u = 0 a Gaussian), integrated over each pixel's area (see StarFit.h).
#include "platform/LinearImage.h"

#include <vector>

enum StarFlag : unsigned {
    StarsNone = 1,        // no star found (the star values are 0; background and noise may be set)
    StarsUnfitted = 2,    // stars were found but none could be fitted (FWHM, HFR, eccentricity 0)
    StarsUnreadable = 4,  // the frame could not be read (set by callers; also for inconsistent data)
};

// How many stars at most have their profile fitted: the medians are settled long before, and the
// fits are the cost that grows with crowded fields.
constexpr int kMaxFittedStars = 250;

struct StarMetrics {
    int stars = 0;            // stars kept
    int fitted = 0;           // of which fitted (the sample of the medians below)
    double fwhm = 0;          // median FWHM, px: geometric mean of the half-maximum ellipse's axes
    double hfr = 0;           // median half-flux radius, px (SEP's flux radius within 3 FWHM)
    double eccentricity = 0;  // sqrt(1 - b²/a²) of the stars' shape, the noise's share taken away
                              // (frameEccentricity in StarFit.h)
    double background = 0;    // median of the background map, in the measured image's units (ADU)
    double noise = 0;         // median of the background's noise (σ), same units
    // The sum, over the fitted stars, of the signal-to-noise ratio each would reach in photometry
    // weighted by its own profile against the sky's noise: flux / (noise × sqrt(π / (2 ln 2)) × FWHM).
    // Thin cloud (less flux, more sky, fewer stars), poor seeing (wider) and sky glow (more noise)
    // all lower it. A sum rather than a median: a median over the stars found rises when the faint
    // ones are lost.
    double snrWeight = 0;
    unsigned flags = 0;
    bool flagged() const { return flags != 0; }
    bool operator==(const StarMetrics&) const = default;
};

// One star kept, in the frame's own pixel coordinates (0-based, pixel centres at whole numbers).
struct StarSpot {
    double x = 0, y = 0;
    double peak = 0;          // brightest pixel above the background
    bool fitted = false;      // the values below are set only for fitted stars
    double fwhm = 0;
    double hfr = 0;
    double eccentricity = 0;
    double flux = 0;          // the fitted profile's total flux
};

struct StarField {
    StarMetrics metrics;
    std::vector<StarSpot> stars;
};

// Measures a frame. Never NaN: a frame without a star gives 0 star values and StarsNone; a frame
// whose data is missing or inconsistent gives StarsUnreadable. Safe to call from several threads at
// once on different frames.
StarMetrics measureStars(const LinearImage& frame);
// The same, with the stars kept.
StarField measureStarField(const LinearImage& frame);
