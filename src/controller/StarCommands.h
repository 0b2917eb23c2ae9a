#pragma once
// The star commands of the menus over the review: "Mesurer les Étoiles", "Trier par..." (sharpness
// or a star measure, either way) and "Noter par Critères...". Like the sharpness, the measures are
// hints kept beside the list; only the scoring writes into it, and the scores the user typed with
// the keyboard since the list was opened are left as they are.
#include "stars/StarCriteria.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

class ReviewController;

// The measure of one file through the picture layer: its linear data, or an 8-bit picture's grey.
StarMetrics measureStarsOfFile(const QString& path);

// What "Trier par..." is asked: sharpness, or a star measure; the best first or the worst first.
struct SortChoice {
    bool sharpness = true;
    StarMeasure measure = StarMeasure::Fwhm;
    bool bestFirst = true;
};

class StarCommands {
public:
    explicit StarCommands(ReviewController& review) : review_(review) {}

    // Every entry measured on worker threads, progress to the review's star results; Escape or
    // Space stop it, keeping what was measured.
    void Mesurer();
    // Reorders the list; entries without a measure stay last. False (with its message) when the
    // chosen measure was not taken.
    bool Trier(const SortChoice& choice);
    // ask is given the measures in list order and gives the criteria (nothing: cancelled).
    void Noter(const std::function<std::optional<StarCriteria>(const std::vector<const StarMetrics*>&)>& ask);

private:
    ReviewController& review_;
};
