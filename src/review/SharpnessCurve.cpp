#include "review/SharpnessCurve.h"

#include "list/ListModel.h"
#include "platform/ProgramError.h"
#include "review/SharpnessResults.h"
#include "platform/Statistics.h"

#include <algorithm>
#include <cmath>

SharpnessCurves sharpnessCurves(const ListModel& model, const SharpnessResults& results)
{
    return valueCurves(
        model,
        [&](int row) -> std::optional<double> {
            const ListEntry e = model.entry(row);
            const SharpnessMeasure* m = results.measureOf(e);
            if (!m || (m->flags & SharpnessUnreadable))
                return std::nullopt;
            return results.relativeSharpness(*m);
        },
        false);
}

SharpnessCurves valueCurves(const ListModel& model, const std::function<std::optional<double>(int row)>& value,
                            bool lowerIsBetter)
{
    SharpnessCurves c;
    for (int i = 0; i < model.entryCount(); ++i) {
        const std::optional<double> y = value(i + ListModel::kFirstRow);
        if (!y)
            continue;
        int number = 0;
        const double x = parseInteger(model.entry(i + ListModel::kFirstRow).number, number) ? number : i;
        c.byNumber.push_back({x, *y, i + ListModel::kFirstRow});
    }
    c.sorted = c.byNumber;
    std::stable_sort(c.byNumber.begin(), c.byNumber.end(),
                     [](const SharpnessPoint& a, const SharpnessPoint& b) { return a.x < b.x; });
    std::stable_sort(c.sorted.begin(), c.sorted.end(), [lowerIsBetter](const SharpnessPoint& a, const SharpnessPoint& b) {
        return lowerIsBetter ? a.y < b.y : a.y > b.y;
    });
    for (size_t k = 0; k < c.sorted.size(); ++k)
        c.sorted[k].x = double(k);
    return c;
}

std::optional<RobustBands> robustBands(const std::vector<SharpnessPoint>& curve)
{
    if (curve.empty())
        return std::nullopt;
    std::vector<double> v;
    v.reserve(curve.size());
    for (const SharpnessPoint& p : curve)
        v.push_back(p.y);
    RobustBands b;
    b.median = median(v);
    b.sigma = robustSigma(v, b.median);
    return b;
}

int nearestPoint(const std::vector<SharpnessPoint>& curve, double x)
{
    if (curve.empty())
        return -1;
    const auto after = std::lower_bound(curve.begin(), curve.end(), x,
                                        [](const SharpnessPoint& p, double v) { return p.x < v; });
    if (after == curve.begin())
        return 0;
    if (after == curve.end())
        return int(curve.size()) - 1;
    const auto before = after - 1;
    return int((x - before->x <= after->x - x ? before : after) - curve.begin());
}

int pointOfRow(const std::vector<SharpnessPoint>& curve, int row)
{
    for (size_t k = 0; k < curve.size(); ++k)
        if (curve[k].row == row)
            return int(k);
    return -1;
}

AxisScale wholeNumberAxis(double lo, double hi)
{
    constexpr int kMaxIntervals = 10;
    if (!std::isfinite(lo) || !std::isfinite(hi) || hi <= lo)
        return {};
    double step = 1;
    for (double scale = 1;; scale *= 10) {
        for (double m : {1.0, 2.0, 5.0}) {
            step = m * scale;
            const double from = std::floor(lo / step) * step;
            const double to = std::ceil(hi / step) * step;
            if ((to - from) / step <= kMaxIntervals)
                return {from, to, step};
        }
    }
}
