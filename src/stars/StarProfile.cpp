#include "stars/StarProfile.h"

#include <cmath>

// Built with -ffast-math so that the loops call the vector exp and log1p: nothing here needs
// infinities, NaN or the order of the sums.
void starProfile(const float* q, int n, float u, float* f, float* dfdq, float* dfdu)
{
    if (u < 1e-6f) {
        for (int i = 0; i < n; ++i) {
            const float e = std::exp(-q[i]);
            f[i] = e;
            dfdq[i] = -e;
            dfdu[i] = e * 0.5f * q[i] * q[i];
        }
        return;
    }
    if (u < 1e-3f) {
        // d/du of -(1/u) log(1 + uq) by its series, exact enough while uq stays small.
        for (int i = 0; i < n; ++i) {
            const float uq = u * q[i];
            const float e = std::exp(-std::log1p(uq) / u);
            f[i] = e;
            dfdq[i] = -e / (1 + uq);
            dfdu[i] = e * q[i] * q[i] * (0.5f - (2.0f / 3.0f) * uq + 0.75f * uq * uq);
        }
        return;
    }
    const float iu = 1 / u;
    for (int i = 0; i < n; ++i) {
        const float uq = u * q[i];
        const float l = std::log1p(uq);
        const float e = std::exp(-l * iu);
        const float r = 1 / (1 + uq);
        f[i] = e;
        dfdq[i] = -e * r;
        dfdu[i] = e * iu * (l * iu - q[i] * r);
    }
}
