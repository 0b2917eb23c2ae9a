#pragma once
// The fit of one star's profile on a background-subtracted image: an elliptical profile
// B + A (1 + u q)^(-1/u), with q = p dx² + r dy² + s dx dy around (x0, y0), which is a Moffat profile
// of β = 1/u and tends to the Gaussian exp(-q) as u goes to 0, so one family covers both. In the
// star's core the model is integrated over each pixel's area (Gauss–Legendre points), which matters
// for small stars: taken at the pixel centres it reads a 2-pixel star 5 % too wide.
// Levenberg–Marquardt, weighted by each pixel's expected noise, on the pixels of a disc about twice
// the star's width.
#include <cstdint>
#include <optional>
#include <vector>

struct StarGuess {
    double x = 0, y = 0;      // centre
    double peak = 0;          // brightest pixel above the background
    double fwhm = 2;          // rough width, px
    double cxx = 1, cyy = 1, cxy = 0;  // shape of the moments' ellipse (any scale); circular if unusable
    double noise = 0;         // σ of the sky
    // Variance of the shot noise per unit of signal (1 / gain in ADU); 0 when unknown: the fit is
    // then unweighted.
    double shotNoise = 0;
};

struct StarFit {
    double x = 0, y = 0;
    double amplitude = 0, sky = 0;
    double u = 0;                       // 1/β
    double fwhm = 0;                    // geometric mean of the half-maximum ellipse's axes
    double fwhmMajor = 0, fwhmMinor = 0;
    // The shape's polarisation (λ1 - λ2)/(λ1 + λ2) of the quadratic form, as two components, and the
    // variance the noise gives |chi|² (from the fit's covariance), to take the noise's bias away.
    double chi1 = 0, chi2 = 0, chiNoise = 0;
    double flux = 0;                    // the profile's integral
};

// The image: width × height floats, background subtracted; blank (may be null) marks pixels to leave
// out. Nothing when the fit fails or lands on something that is not a star.
std::optional<StarFit> fitStar(const float* image, int width, int height, const uint8_t* blank,
                               const StarGuess& guess);

// Eccentricity sqrt(1 - b²/a²) of an ellipse of polarisation |chi| = (a² - b²)/(a² + b²).
double eccentricityOfChi(double chi);

// The eccentricity of a frame's stars from their fits. A star's |chi|² carries the noise's chiNoise
// on top of its shape, which near round stars is all there is (eccentricity grows as the square root
// of |chi|), so the noise is taken away twice over: across stars elongated the same way (guiding,
// wind, tilt: what makes one frame differ from the next) through their mean polarisation weighted
// by each star's precision; and for stars elongated every which way through the median of their
// own |chi|² less their noise, which is the frame's when it stands clearly above the first.
double frameEccentricity(const std::vector<StarFit>& fits);
