// Scoring a series by the star rules, the sort by a star measure, and the star columns of the list.
#include "StarFields.h"
#include "list/ListModel.h"
#include "stars/StarCriteria.h"
#include "stars/StarResults.h"

#include <gtest/gtest.h>

namespace {

// Seven clear frames and one under thin cloud (stars 40 % dimmer, sky brighter), measured; then a
// frame without stars and an unreadable one.
const std::vector<StarMetrics>& series()
{
    static const std::vector<StarMetrics> frames = [] {
        std::vector<StarMetrics> out;
        for (int i = 0; i < 8; ++i) {
            StarFieldPlan s;
            s.width = s.height = 768;
            s.stars = 300;
            s.fwhm = 3.5;
            s.eccentricity = 0.3;
            s.seed = unsigned(100 + i);
            s.sky = 800 + 6 * (i % 3 - 1);
            if (i == 7) {
                s.starScale = 0.6;
                s.sky = 1100;
            }
            out.push_back(measureStars(makeStarField(s).image));
        }
        StarMetrics none;
        none.flags = StarsNone;
        none.background = 805;
        none.noise = 29;
        out.push_back(none);
        StarMetrics unreadable;
        unreadable.flags = StarsUnreadable;
        out.push_back(unreadable);
        return out;
    }();
    return frames;
}

constexpr int kCloudy = 7, kNoStar = 8, kUnreadable = 9;

TEST(StarCriteria, EachRuleRejectsTheFramesItShouldAndScoresTheRest)
{
    std::vector<const StarMetrics*> measures;
    for (const StarMetrics& m : series())
        measures.push_back(&m);
    measures.push_back(nullptr);  // an entry not measured
    EXPECT_LT(series()[kCloudy].snrWeight, 0.7 * series()[0].snrWeight);

    const struct {
        const char* name;
        StarRuleId rule;
        double value;
        std::set<int> rejected;
    } cases[] = {
        {"Fond > médiane + 3 σ", BackgroundRule, 3, {kCloudy, kUnreadable}},
        {"Étoiles < 90 % de la médiane", StarsRule, 90, {kCloudy, kNoStar, kUnreadable}},
        {"FWHM > médiane + 50 σ", FwhmRule, 50, {kNoStar, kUnreadable}},
        {"Excentricité > 0,5", EccentricityRule, 0.5, {kNoStar, kUnreadable}},
        {"Excentricité > 0,2", EccentricityRule, 0.2, {0, 1, 2, 3, 4, 5, 6, kCloudy, kNoStar, kUnreadable}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StarCriteria criteria;
        criteria.rules[size_t(c.rule)] = {true, c.value};
        criteria.rejectScore = 0;
        criteria.keepScore = 3;
        const RejectionCounts counts = countRejections(measures, criteria);
        EXPECT_EQ(counts.measured, 10);
        EXPECT_EQ(counts.byRule[size_t(c.rule)], int(c.rejected.size()));
        EXPECT_EQ(counts.all, int(c.rejected.size()));

        const CriteriaScores scores = scoreByCriteria(measures, criteria, {});
        ASSERT_EQ(scores.scores.size(), 10u);  // not the entry without a measure
        for (const auto& [index, score] : scores.scores)
            EXPECT_EQ(score, c.rejected.count(index) ? 0 : 3) << index;
        EXPECT_EQ(scores.rejected, int(c.rejected.size()));
    }

    // Both sky rules together, and entries scored with the keyboard keep their score.
    StarCriteria criteria;
    criteria.rules[BackgroundRule] = {true, 3};
    criteria.rules[StarsRule] = {true, 90};
    EXPECT_EQ(countRejections(measures, criteria).all, 3);
    const CriteriaScores scores = scoreByCriteria(measures, criteria, {0, kCloudy});
    EXPECT_EQ(scores.protectedLeft, 2);
    EXPECT_EQ(scores.rejected, 2);
    EXPECT_EQ(scores.kept, 6);
    for (const auto& entry : scores.scores)
        EXPECT_TRUE(entry.first != 0 && entry.first != kCloudy);
}

TEST(StarCriteria, SortsBestFirstFlaggedThenUnmeasuredLast)
{
    StarMetrics a, b, c, flagged;
    a.stars = 100, a.fwhm = 3.0, a.snrWeight = 50;
    b.stars = 50, b.fwhm = 2.5, b.snrWeight = 80;
    c.stars = 200, c.fwhm = 2.8, c.snrWeight = 10;
    flagged.flags = StarsNone;
    const std::vector<const StarMetrics*> measures{&a, &b, &flagged, nullptr, &c};
    const struct {
        StarMeasure measure;
        std::vector<int> order;
    } cases[] = {
        {StarMeasure::Fwhm, {1, 4, 0, 2, 3}},
        {StarMeasure::Stars, {4, 0, 1, 2, 3}},
        {StarMeasure::SnrWeight, {1, 0, 4, 2, 3}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(starMeasureTitle(k.measure).toStdString());
        EXPECT_EQ(starOrder(measures, k.measure), k.order);
    }
}

TEST(StarResults, ColumnsAsTheListShowsThemAndKeptByPath)
{
    EXPECT_EQ(StarResults::columnTitles(), QStringList({QString::fromUtf8("Étoiles"), "FWHM", "HFR",
                                                        QString::fromUtf8("Excentricité"), "Fond", "Bruit"}));
    StarMetrics good;
    good.stars = 152, good.fitted = 152, good.fwhm = 3.416, good.hfr = 1.9, good.eccentricity = 0.314;
    good.background = 1234.4, good.noise = 8.714;
    StarMetrics none;
    none.flags = StarsNone, none.background = 0.01234, none.noise = 0.0021;
    StarMetrics unfitted = good;
    unfitted.flags = StarsUnfitted;
    StarMetrics unreadable;
    unreadable.flags = StarsUnreadable;

    ListModel model;
    model.appendFiles({"/f/a.fit", "/f/b.fit", "/f/c.fit", "/f/d.fit", "/f/e.fit"}, "1");
    StarResults results;
    results.keepMeasures({"/f/a.fit", "/f/b.fit", "/f/c.fit", "/f/d.fit"}, {good, none, unfitted, unreadable});
    const struct {
        const char* path;
        QStringList texts;
    } cases[] = {
        {"/f/a.fit", {"152", "3,42", "1,90", "0,31", "1234", "8,714"}},
        {"/f/b.fit", {"0 aucune", "aucune", "aucune", "aucune", "0,01234", "0,002100"}},
        {"/f/c.fit", {"152", "sans profil", "sans profil", "sans profil", "1234", "8,714"}},
        {"/f/d.fit", {"illisible", "illisible", "illisible", "illisible", "illisible", "illisible"}},
        {"/f/e.fit", {"", "", "", "", "", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        for (int col = 0; col < kStarColumnCount; ++col)
            EXPECT_EQ(results.cellText(c.path, StarColumn(col)), c.texts[col]) << col;
    }
    // The measures follow their files when the list is reordered, and go when it is replaced.
    ASSERT_TRUE(model.reorder({3, 2, 1, 0, 4}));
    const std::vector<const StarMetrics*> inOrder = results.inListOrder(model);
    EXPECT_EQ(inOrder, (std::vector<const StarMetrics*>{results.measureOf("/f/d.fit"), results.measureOf("/f/c.fit"),
                                                        results.measureOf("/f/b.fit"), results.measureOf("/f/a.fit"),
                                                        nullptr}));
    results.forgetAll();
    EXPECT_TRUE(results.noneMeasured());
    EXPECT_EQ(results.cellText("/f/a.fit", StarColumn::Stars), "");
}

}  // namespace
