// Texts and scales of the review windows: the zone options speak of zones, the sharpness curve's
// axis of numbers counts in whole steps.
#include "DialogsFixture.h"
#include "review/SharpnessCurve.h"
#include "review/UCourbeNettete.h"
#include "review/Uopzone.h"

#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QValueAxis>

#include <cmath>

namespace {

TEST(SharpnessAxis, WholeStepsOfOneTwoOrFiveTimesAPowerOfTen)
{
    struct Case {
        double lo, hi;
        double min, max, step;
    };
    const Case cases[] = {
        {0, 0, 0, 10, 1},  // nothing measured
        {NAN, 5, 0, 10, 1},
        {0, 1, 0, 1, 1},    // one frame
        {0, 7, 0, 7, 1},
        {0, 10, 0, 10, 1},
        {0, 11, 0, 12, 2},
        {0, 99, 0, 100, 10},
        {3, 250, 0, 250, 50},
        {-4, 13, -4, 14, 2},
        {0, 100000, 0, 100000, 10000},
    };
    for (const Case& c : cases) {
        const AxisScale a = wholeNumberAxis(c.lo, c.hi);
        EXPECT_EQ(a.min, c.min) << c.lo << ".." << c.hi;
        EXPECT_EQ(a.max, c.max) << c.lo << ".." << c.hi;
        EXPECT_EQ(a.step, c.step) << c.lo << ".." << c.hi;
    }
}

using CosmeticsTest = DialogsTest;

TEST_F(CosmeticsTest, TheEmptyCurveCountsInWholeNumbers)
{
    TFormCourbeNettete* curve = appWindows().CourbeNettete;
    curve->show();
    QApplication::processEvents();
    auto* view = curve->findChild<QChartView*>();
    ASSERT_NE(view, nullptr);
    const QList<QAbstractAxis*> axes = view->chart()->axes(Qt::Horizontal);
    ASSERT_EQ(axes.size(), 1);
    auto* x = qobject_cast<QValueAxis*>(axes.first());
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->tickType(), QValueAxis::TicksDynamic);
    EXPECT_EQ(x->tickInterval(), 1);
    EXPECT_EQ(x->min(), 0);
    EXPECT_EQ(x->max(), 10);
    EXPECT_EQ(view->chart()->title(), "Aucune Netteté mesurée");
    curve->hide();
}

TEST_F(CosmeticsTest, TheZoneOptionsSpeakOfZones)
{
    QStringList labels;
    for (const QLabel* l : appWindows().OpZone->findChildren<QLabel*>())
        labels << l->text();
    EXPECT_TRUE(labels.contains("Hauteur Zones:")) << labels.join(" / ").toStdString();
    EXPECT_TRUE(labels.contains("Largeur Zones:")) << labels.join(" / ").toStdString();
    EXPECT_TRUE(labels.filter("Vignettes").isEmpty()) << labels.join(" / ").toStdString();
}

}  // namespace
