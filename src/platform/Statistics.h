#pragma once
// The robust statistics of a series of measures (and of a frame's samples): the median, and the
// spread 1.4826 × the median absolute deviation, which is σ for normal scatter and which a few
// odd values (a frame under cloud) do not move.
#include <algorithm>
#include <cmath>
#include <vector>

// The median (the mean of the two middle values for an even count); 0 for no value.
inline double median(std::vector<double> v)
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

// 1.4826 × the median absolute deviation from centre.
inline double robustSigma(const std::vector<double>& v, double centre)
{
    std::vector<double> dev;
    dev.reserve(v.size());
    for (double x : v)
        dev.push_back(std::abs(x - centre));
    return 1.4826 * median(std::move(dev));
}
