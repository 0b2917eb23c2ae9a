#include "stars/StarCriteria.h"

#include "platform/Statistics.h"

#include <algorithm>
#include <cmath>

namespace {

bool measured(const StarMetrics* m) { return m != nullptr; }

}  // namespace

bool StarCriteria::anyOn() const
{
    return std::any_of(rules.begin(), rules.end(), [](const StarRule& r) { return r.on; });
}

SeriesStats seriesStats(const std::vector<const StarMetrics*>& measures)
{
    std::vector<double> fwhm, stars, background;
    for (const StarMetrics* m : measures)
        if (m && !m->flagged()) {
            fwhm.push_back(m->fwhm);
            stars.push_back(m->stars);
            background.push_back(m->background);
        }
    SeriesStats s;
    s.frames = int(fwhm.size());
    s.fwhmMedian = median(fwhm);
    s.fwhmSigma = robustSigma(fwhm, s.fwhmMedian);
    s.starsMedian = median(stars);
    s.backgroundMedian = median(background);
    s.backgroundSigma = robustSigma(background, s.backgroundMedian);
    return s;
}

unsigned brokenRules(const StarMetrics& m, const StarCriteria& c, const SeriesStats& s)
{
    const bool unreadable = m.flags & StarsUnreadable;
    const bool shapes = !(m.flags & (StarsUnreadable | StarsNone | StarsUnfitted));
    unsigned broken = 0;
    auto rule = [&](StarRuleId id, bool breaks) {
        if (c.rules[size_t(id)].on && breaks)
            broken |= 1u << id;
    };
    const double k = c.rules[FwhmRule].value, p = c.rules[StarsRule].value, kb = c.rules[BackgroundRule].value;
    rule(FwhmRule, !shapes || m.fwhm > s.fwhmMedian + k * s.fwhmSigma);
    rule(StarsRule, unreadable || m.stars < p / 100 * s.starsMedian);
    rule(BackgroundRule, unreadable || m.background > s.backgroundMedian + kb * s.backgroundSigma);
    rule(EccentricityRule, !shapes || m.eccentricity > c.rules[EccentricityRule].value);
    return broken;
}

RejectionCounts countRejections(const std::vector<const StarMetrics*>& measures, const StarCriteria& criteria)
{
    const SeriesStats stats = seriesStats(measures);
    RejectionCounts counts;
    for (const StarMetrics* m : measures) {
        if (!measured(m))
            continue;
        ++counts.measured;
        const unsigned broken = brokenRules(*m, criteria, stats);
        for (int r = 0; r < kStarRuleCount; ++r)
            counts.byRule[size_t(r)] += (broken >> r) & 1;
        counts.all += broken != 0;
    }
    return counts;
}

CriteriaScores scoreByCriteria(const std::vector<const StarMetrics*>& measures, const StarCriteria& criteria,
                               const std::set<int>& protectedEntries)
{
    const SeriesStats stats = seriesStats(measures);
    CriteriaScores out;
    for (size_t i = 0; i < measures.size(); ++i) {
        if (!measured(measures[i]))
            continue;
        if (protectedEntries.count(int(i))) {
            ++out.protectedLeft;
            continue;
        }
        const bool rejected = brokenRules(*measures[i], criteria, stats) != 0;
        out.scores.emplace_back(int(i), rejected ? criteria.rejectScore : criteria.keepScore);
        ++(rejected ? out.rejected : out.kept);
    }
    return out;
}

QString starMeasureTitle(StarMeasure measure)
{
    switch (measure) {
    case StarMeasure::Stars:
        return QString::fromUtf8("Étoiles");
    case StarMeasure::Fwhm:
        return QStringLiteral("FWHM");
    case StarMeasure::Hfr:
        return QStringLiteral("HFR");
    case StarMeasure::Eccentricity:
        return QString::fromUtf8("Excentricité");
    case StarMeasure::Background:
        return QStringLiteral("Fond");
    case StarMeasure::Noise:
        return QStringLiteral("Bruit");
    case StarMeasure::SnrWeight:
        return QStringLiteral("Poids S/B");
    }
    return {};
}

StarSortKey starSortKey(const StarMetrics* m, StarMeasure measure)
{
    if (!m)
        return {2, 0};
    double v = 0;
    switch (measure) {
    case StarMeasure::Stars:
        v = -m->stars;
        break;
    case StarMeasure::Fwhm:
        v = m->fwhm;
        break;
    case StarMeasure::Hfr:
        v = m->hfr;
        break;
    case StarMeasure::Eccentricity:
        v = m->eccentricity;
        break;
    case StarMeasure::Background:
        v = m->background;
        break;
    case StarMeasure::Noise:
        v = m->noise;
        break;
    case StarMeasure::SnrWeight:
        v = -m->snrWeight;
        break;
    }
    return {m->flagged() ? 1 : 0, std::isfinite(v) ? v : 0};
}

std::vector<int> starOrder(const std::vector<const StarMetrics*>& measures, StarMeasure measure)
{
    std::vector<std::pair<StarSortKey, int>> keys;
    keys.reserve(measures.size());
    for (size_t i = 0; i < measures.size(); ++i)
        keys.emplace_back(starSortKey(measures[i], measure), int(i));
    std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<int> order;
    order.reserve(keys.size());
    for (const auto& k : keys)
        order.push_back(k.second);
    return order;
}
