#pragma once
// The sharpness commands of the menus over the review: the measure of every entry, the sort and the
// scoring by sharpness. The measure is a hint: only "Noter par Netteté..." writes scores, into the
// list, where the user can change every one; no file is touched.
#include "review/SharpnessResults.h"

#include <functional>
#include <optional>

class ReviewController;

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
    // entries beyond the share get the score, and the list is modified.
    void Noter(const std::function<std::optional<SharpnessScoring>()>& ask);

private:
    // False, after telling the user, when there is nothing measured to act on.
    bool haveMeasure();

    ReviewController& review_;
};
