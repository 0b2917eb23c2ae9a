// The grey level, the slider arithmetic of the colour filtering dialog, and the dialog itself.
#include "ConvertFixture.h"
#include "convert/ColourFilter.h"
#include "convert/Ubalance.h"

#include <QAbstractButton>
#include <QLabel>
#include <QSlider>
#include <QTest>

namespace {

using ColourFilterTest = ConvertTest;

TEST(ColourFilter, GreyLevels)
{
    struct Case {
        int r, g, b;
        ColourWeights w;
        int grey;
    };
    const Case cases[] = {
        {255, 255, 255, {}, 255},
        {255, 0, 0, {}, 76},
        {0, 255, 0, {}, 150},
        {0, 0, 255, {}, 27},
        {10, 20, 30, {100, 100, 56}, (1000 + 2000 + 1680) / 256},
        {255, 255, 255, {0, 0, 0}, 0},
        {255, 255, 255, {1000, 1000, 1000}, 255},       // damaged settings
        {255, 255, 255, {-100, 0, 0}, 0},
        {255, 255, 255, {INT32_MAX, INT32_MAX, 0}, 255},  // no overflow
    };
    for (const Case& c : cases)
        EXPECT_EQ(greyLevel(c.r, c.g, c.b, c.w), c.grey) << c.r << ' ' << c.g << ' ' << c.b << ' ' << c.w.red;
}

TEST(ColourFilter, GreyFilterTurnsEveryPixelToItsLevel)
{
    for (QImage::Format f : {QImage::Format_RGB888, QImage::Format_RGB32, QImage::Format_Indexed8}) {
        QImage img(3, 2, QImage::Format_RGB888);
        img.setPixelColor(0, 0, Qt::red);
        img.setPixelColor(1, 0, Qt::green);
        img.setPixelColor(2, 0, Qt::white);
        img.setPixelColor(0, 1, QColor(10, 20, 30));
        img.setPixelColor(1, 1, Qt::black);
        img.setPixelColor(2, 1, Qt::blue);
        img = img.convertToFormat(f);
        const QImage before = img.convertToFormat(QImage::Format_RGB888);
        applyGreyFilter(img, ColourWeights{});
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                const QColor was = before.pixelColor(x, y);
                const int g = greyLevel(was.red(), was.green(), was.blue(), ColourWeights{});
                EXPECT_EQ(img.pixelColor(x, y), QColor(g, g, g)) << x << ',' << y << " format " << int(f);
            }
    }
}

TEST(ColourFilter, SliderArithmetic)
{
    EXPECT_EQ(sliderFromWeight(77), 76);
    EXPECT_EQ(sliderFromWeight(151), 150);
    EXPECT_EQ(sliderFromWeight(28), 27);
    EXPECT_EQ(sliderFromWeight(5000), 255);
    EXPECT_EQ(sliderFromWeight(-7), 0);
    struct Case {
        int r, g, b;
        ColourWeights weights;
        const char* shares[3];
    };
    const Case cases[] = {
        {100, 100, 56, {100, 100, 56}, {" 39", " 39", " 21"}},
        {76, 150, 27, {76 * 256 / 253, 150 * 256 / 253, 27 * 256 / 253}, {" 30", " 59", " 10"}},
        {0, 0, 0, {0, 0, 0}, {"  0", "  0", "  0"}},
        {255, 0, 0, {256, 0, 0}, {"100", "  0", "  0"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(weightsFromSliders(c.r, c.g, c.b), c.weights);
        const int s = sliderSum(c.r, c.g, c.b);
        EXPECT_EQ(shareText(c.r, s), QLatin1String(c.shares[0]));
        EXPECT_EQ(shareText(c.g, s), QLatin1String(c.shares[1]));
        EXPECT_EQ(shareText(c.b, s), QLatin1String(c.shares[2]));
    }
}

struct BalanceView {
    QSlider *r, *g, *b;
    QLabel *lr, *lg, *lb;
    explicit BalanceView(QDialog* d)
        : r(d->findChild<QSlider*>("TrackBarR")), g(d->findChild<QSlider*>("TrackBarV")),
          b(d->findChild<QSlider*>("TrackBarB")), lr(d->findChild<QLabel*>("LabelR")),
          lg(d->findChild<QLabel*>("LabelV")), lb(d->findChild<QLabel*>("LabelB"))
    {
    }
    QStringList labels() const { return {lr->text(), lg->text(), lb->text()}; }
};

void click(QDialog* d, const char* name)
{
    auto* button = d->findChild<QAbstractButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
}

TEST_F(ColourFilterTest, DialogShowsConfirmsAndCancels)
{
    TFormBalance dlg;
    // Activation: positions from the weights and the shares beside them.
    sp.answerDialog([](QDialog* d) {
        BalanceView v(d);
        EXPECT_EQ(v.r->value(), 76);
        EXPECT_EQ(v.g->value(), 150);
        EXPECT_EQ(v.b->value(), 27);
        EXPECT_EQ(v.labels(), (QStringList{" 30", " 59", " 10"}));
        v.r->setValue(100);
        v.g->setValue(100);
        v.b->setValue(56);
        EXPECT_EQ(v.labels(), (QStringList{" 39", " 39", " 21"}));
        click(d, "BitBtnOk");
    });
    EXPECT_EQ(prompts().exec(&dlg), QDialog::Accepted);
    EXPECT_EQ(weightsOf(programOptions()), (ColourWeights{100, 100, 56}));

    // "Défaut" puts the sliders to 77, 151, 28; cancel keeps the weights.
    sp.answerDialog([](QDialog* d) {
        BalanceView v(d);
        EXPECT_EQ(v.r->value(), 99);  // 100 × 255 / 256
        click(d, "BitBtnDefaut");
        EXPECT_EQ(v.r->value(), 77);
        EXPECT_EQ(v.g->value(), 151);
        EXPECT_EQ(v.b->value(), 28);
        click(d, "BitBtnAnnuler");
    });
    EXPECT_EQ(prompts().exec(&dlg), QDialog::Rejected);
    EXPECT_EQ(weightsOf(programOptions()), (ColourWeights{100, 100, 56}));

    // All sliders at 0: all weights 0.
    sp.answerDialog([](QDialog* d) {
        BalanceView v(d);
        v.r->setValue(0);
        v.g->setValue(0);
        v.b->setValue(0);
        click(d, "BitBtnOk");
    });
    prompts().exec(&dlg);
    EXPECT_EQ(weightsOf(programOptions()), (ColourWeights{0, 0, 0}));
}

// Each slider is named after the colour whose weight it sets, and the name stays when the share
// beside it changes.
TEST_F(ColourFilterTest, EachSliderCarriesTheNameOfItsColour)
{
    TFormBalance dlg;
    sp.answerDialog([](QDialog* d) {
        const std::pair<const char*, const char*> sliders[] = {{"TrackBarR", "Rouge:"}, {"TrackBarV", "Vert:"}, {"TrackBarB", "Bleu:"}};
        for (const auto& [slider, name] : sliders) {
            auto* s = d->findChild<QSlider*>(QString::fromLatin1(slider));
            s->setValue(s->value() == 255 ? 0 : 255);
            QStringList names;
            for (QLabel* l : d->findChildren<QLabel*>())
                if (l->buddy() == s && l->isVisible())
                    names << l->text();
            EXPECT_EQ(names, QStringList{QString::fromLatin1(name)}) << slider;
        }
        click(d, "BitBtnOk");
    });
    ASSERT_EQ(prompts().exec(&dlg), QDialog::Accepted);
}

TEST_F(ColourFilterTest, AppliquerPreviewsTheConfirmedWeights)
{
    QImage shown(1, 1, QImage::Format_RGB32);
    shown.fill(QColor(200, 100, 50));
    int edits = 0;
    conversionDisplay().editShownPicture = [&](const std::function<void(QImage&)>& edit) {
        ++edits;
        edit(shown);
        return true;
    };
    storeWeights(programOptions(), {256, 0, 0});
    TFormBalance dlg;
    sp.answerDialog([&](QDialog* d) {
        BalanceView v(d);
        v.r->setValue(0);  // not confirmed: the preview keeps the red-only mix
        v.g->setValue(255);
        click(d, "BitBtnAppliquer");
        EXPECT_TRUE(d->isVisible());
        click(d, "BitBtnAnnuler");
    });
    prompts().exec(&dlg);
    EXPECT_EQ(edits, 1);
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(200, 200, 200));
    EXPECT_EQ(weightsOf(programOptions()), (ColourWeights{256, 0, 0}));
}

}  // namespace
