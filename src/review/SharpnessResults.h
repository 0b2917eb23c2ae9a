#pragma once
// The sharpness measured for the files of the list, kept beside it (see ListMeasures).
#include "list/ListMeasures.h"
#include "review/Sharpness.h"

#include <QString>

#include <vector>

class ListModel;

class SharpnessResults : public ListMeasures<SharpnessMeasure> {
public:
    using ListMeasures::ListMeasures;

    // Shows the measures as the last column of the list's views ("Netteté") while there are any.
    void showIn(ListModel& model);

    // The value on the list's scale: 100 for the sharpest frame measured without a flag.
    double relativeSharpness(const SharpnessMeasure& m) const;
    // What the list shows for the file: "87,3", "0,0 noir", "100,0 bord", "illisible"; "" when it
    // was not measured.
    QString cellText(const QString& path) const;

private:
    void measuresChanged() override;

    double best_ = 0;
};

// The entries (0-based, in list order) from the sharpest to the least sharp: measures without a
// flag by value, then flagged measures by value, then the entries not measured; ties keep their
// order in the list.
std::vector<int> sharpnessOrder(const ListModel& model, const SharpnessResults& results);

// The share of the sharpest frames to keep: a percentage of the frames measured, or a number of
// frames.
struct KeepShare {
    int amount = 10;
    bool percent = true;
};
// What "Noter par Netteté..." is asked to do: give the share kept one score, the others another.
struct SharpnessScoring {
    KeepShare keep;
    int score = 0;      // the others
    int bestScore = 1;  // the share kept
};
// How many of `measured` frames the share keeps (a percentage rounds up, so that a share above 0
// keeps at least one frame).
int keptCount(KeepShare share, int measured);
// The grid rows of the measured entries beyond the share, in list order: the ones that are not
// among the sharpest (flagged frames count among the least sharp). Entries not measured are none of
// them.
std::vector<int> rowsBeyondShare(const ListModel& model, const SharpnessResults& results, KeepShare share);
