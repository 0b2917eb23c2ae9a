#pragma once
// The sharpness commands of the menus over the review: the measure of every entry, the sort and the
// scoring by sharpness. The measure is a hint: only "Noter par Netteté..." writes scores, into the
// list, where the user can change every one; no file is touched.
#include "review/SharpnessResults.h"

#include <functional>
#include <optional>
#include <vector>

class ListModel;
class QString;
class ReviewController;

// The grid rows "Noter par Netteté..." scores, each list in list order: the measured entries of
// the share kept, and the other measured ones (flagged frames count among the least sharp).
struct SharpnessScoreRows {
    std::vector<int> best;
    std::vector<int> others;
};
SharpnessScoreRows sharpnessScoreRows(const ListModel& model, const SharpnessResults& results, KeepShare share);

// Why an answer of "Noter par Netteté..." cannot be applied; empty when it can. One score for both
// would leave the best frames nothing to tell them from the others (with the usual default score 0,
// the next pass over the score-0 files would trash the whole capture).
QString sharpnessScoringRefusal(const SharpnessScoring& scoring);

class SharpnessCommands {
public:
    explicit SharpnessCommands(ReviewController& review) : review_(review) {}

    // "Mesurer la Netteté": every entry decoded and measured on worker threads while the
    // interface answers keys; the progress goes to the review's sharpness results. Escape or Space
    // stop it, keeping what was measured. Measures of an earlier run are forgotten first.
    void Mesurer();
    // "Trier par Netteté": the entries from the sharpest to the least sharp, flagged frames and
    // frames not measured last; numbers stay until "Renuméroter", and the list is modified.
    void Trier();
    // "Noter par Netteté...": ask gives the dialog's answer (nothing: cancelled); the measured
    // entries of the share get the best score, the other measured ones the other score, and the
    // list is modified. Entries not measured keep theirs.
    void Noter(const std::function<std::optional<SharpnessScoring>()>& ask);

private:
    // False, after telling the user, when there is nothing measured to act on.
    bool haveMeasure();

    ReviewController& review_;
};
