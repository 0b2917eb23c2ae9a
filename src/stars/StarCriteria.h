#pragma once
// The rules of "Noter par Critères..." over the star measures of a series, and the orders of the
// sort by a star measure. Pure logic on the measures in list order (nullptr: entry not measured);
// the caller writes the scores into the list.
//
// Each rule is optional:
//   "FWHM > médiane + k σ"          wider stars than the series' usual (seeing, focus, wind)
//   "Étoiles < p % de la médiane"   fewer stars than usual (cloud, haze, dew)
//   "Fond > médiane + k σ"          a brighter sky than usual (cloud lit from below, moon, dawn)
//   "Excentricité > e"              elongated stars (guiding, wind)
// Medians and σ = 1.4826 × the median absolute deviation are taken over the measured frames
// without a flag. A flagged frame breaks every rule whose value it lacks: no star, no fitted
// profile or unreadable is no frame to keep.
#include "stars/StarMetrics.h"

#include <QString>

#include <array>
#include <set>
#include <utility>
#include <vector>

struct StarRule {
    bool on = false;
    double value = 0;  // k, p (percent) or e
};

enum StarRuleId { FwhmRule, StarsRule, BackgroundRule, EccentricityRule, kStarRuleCount };

struct StarCriteria {
    std::array<StarRule, kStarRuleCount> rules{
        {{false, 2.0}, {false, 50.0}, {false, 2.0}, {false, 0.6}}};
    int rejectScore = 0;  // frames that break a rule
    int keepScore = 1;    // the other measured frames
    bool anyOn() const;
};

// What the rules compare against, from the measured frames without a flag.
struct SeriesStats {
    int frames = 0;
    double fwhmMedian = 0, fwhmSigma = 0;
    double starsMedian = 0;
    double backgroundMedian = 0, backgroundSigma = 0;
};
SeriesStats seriesStats(const std::vector<const StarMetrics*>& measures);

// The rules (bits 1 << StarRuleId) a frame breaks.
unsigned brokenRules(const StarMetrics& m, const StarCriteria& criteria, const SeriesStats& stats);

// What the dialog shows before applying: how many measured frames each rule rejects, and all the
// rules that are on together.
struct RejectionCounts {
    int measured = 0;
    std::array<int, kStarRuleCount> byRule{};
    int all = 0;
};
RejectionCounts countRejections(const std::vector<const StarMetrics*>& measures, const StarCriteria& criteria);

// The new scores: (entry index, score) for every measured entry, in list order, except the
// protected ones (entries the user scored with the keyboard), which keep theirs and are counted.
// Entries not measured keep theirs too.
struct CriteriaScores {
    std::vector<std::pair<int, int>> scores;
    int rejected = 0;
    int kept = 0;
    int protectedLeft = 0;
};
CriteriaScores scoreByCriteria(const std::vector<const StarMetrics*>& measures, const StarCriteria& criteria,
                               const std::set<int>& protectedEntries);

// The measures the list can be sorted by (sharpness is the caller's).
enum class StarMeasure { Stars, Fwhm, Hfr, Eccentricity, Background, Noise, SnrWeight };
QString starMeasureTitle(StarMeasure measure);

// A sortable key, best first when sorted ascending: more stars and a higher weight first, smaller
// widths, eccentricity, sky and noise first; flagged frames after, entries not measured last.
struct StarSortKey {
    int group = 2;  // 0 measured, 1 flagged, 2 not measured
    double value = 0;
    bool operator<(const StarSortKey& o) const { return group != o.group ? group < o.group : value < o.value; }
};
StarSortKey starSortKey(const StarMetrics* m, StarMeasure measure);
// The entries (0-based) from best to worst by the measure; ties keep their list order.
std::vector<int> starOrder(const std::vector<const StarMetrics*>& measures, StarMeasure measure);
