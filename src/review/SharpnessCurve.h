#pragma once
// The two curves of the sharpness window, as data: the sharpness of each measured entry against its
// number, and the same values from the sharpest down. Each point remembers its entry's row, so that
// a click on it can make that entry the current one.
#include <functional>
#include <optional>
#include <vector>

class ListModel;
class SharpnessResults;

struct SharpnessPoint {
    double x = 0;
    double y = 0;  // on the list's scale, 100 = sharpest
    int row = 0;   // grid row of the entry
};

struct SharpnessCurves {
    // x: the entry's number (its "Numéro", or its place when that does not read as a number), in
    // increasing x, so that the curve follows the frames in the order they were taken even after a
    // sort.
    std::vector<SharpnessPoint> byNumber;
    // x: 0 for the sharpest, 1 for the next, ...
    std::vector<SharpnessPoint> sorted;
};

// Frames that could not be read have no value and no point.
SharpnessCurves sharpnessCurves(const ListModel& model, const SharpnessResults& results);

// The same two curves for any measure: value(row) gives an entry's value, nothing for no point;
// the sorted curve from the best down (the highest first unless lowerIsBetter).
SharpnessCurves valueCurves(const ListModel& model, const std::function<std::optional<double>(int row)>& value,
                            bool lowerIsBetter);

// The bands drawn across the curves: the median of the values and the robust spread
// σ = 1.4826 × their median absolute deviation (lines at ± 1 and ± 2 σ). Nothing for no value.
struct RobustBands {
    double median = 0;
    double sigma = 0;
};
std::optional<RobustBands> robustBands(const std::vector<SharpnessPoint>& curve);
// The index of the point of curve (in increasing x) nearest to x; -1 when the curve is empty.
int nearestPoint(const std::vector<SharpnessPoint>& curve, double x);
// The index of the point of the entry at row; -1 when it has none.
int pointOfRow(const std::vector<SharpnessPoint>& curve, int row);

// An axis of whole numbers covering lo to hi: a step of 1, 2 or 5 times a power of ten that makes
// at most ten intervals, both ends on a whole step. Nothing to show (hi not above lo, or not
// finite) gives 0 to 10 in steps of 1.
struct AxisScale {
    double min = 0;
    double max = 10;
    double step = 1;
};
AxisScale wholeNumberAxis(double lo, double hi);
