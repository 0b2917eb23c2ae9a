// FITS frames in the started program: shown through the linked stretch, a broken one passed over
// with its caption, and F6 choosing the stretch with the "Voir" entries following.
#include "NavFixture.h"

#include <QAction>

#include <fitsio.h>

#include <random>

namespace {

// A 16-bit sky frame of the given background, as a camera program writes it.
QString writeSky(const QString& path, double background, unsigned seed)
{
    const long w = 320, h = 240;
    std::vector<unsigned short> data(size_t(w * h));
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(background, background / 80);
    for (unsigned short& v : data)
        v = static_cast<unsigned short>(noise(rng));
    fitsfile* f = nullptr;
    int status = 0;
    long naxes[2] = {w, h};
    fits_create_file(&f, ("!" + path.toLocal8Bit()).constData(), &status);
    fits_create_img(f, USHORT_IMG, 2, naxes, &status);
    fits_write_img(f, TUSHORT, 1, LONGLONG(data.size()), data.data(), &status);
    fits_close_file(f, &status);
    EXPECT_EQ(status, 0);
    return path;
}

int medianGrey(const QImage& img)
{
    std::vector<int> v;
    for (int y = 0; y < img.height(); y += 3)
        for (int x = 0; x < img.width(); x += 3)
            v.push_back(qGray(img.pixel(x, y)));
    std::nth_element(v.begin(), v.begin() + ptrdiff_t(v.size() / 2), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

class LinearFramesFlowTest : public NavTest {};

TEST_F(LinearFramesFlowTest, FramesShowThroughTheLinkedStretchAndF6ChoosesAnother)
{
    desktopOptions().ShowThumbnails = false;
    const QString bright = writeSky(dir.filePath(QStringLiteral("a.fits")), 2000, 1);
    const QString broken = dir.filePath(QStringLiteral("b.fits"));
    ASSERT_TRUE(writeAll(broken, readAll(bright).left(2880 * 2)));
    const QString dim = writeSky(dir.filePath(QStringLiteral("c.fits")), 1000, 2);
    fillWith({bright, broken, dim});

    EXPECT_NEAR(medianGrey(review().frame().picture), 64, 3);
    key(grid(), Qt::Key_N);
    EXPECT_EQ(review().frame().caption, QStringLiteral("Impossible de Charger: ") + broken);
    EXPECT_TRUE(review().frame().picture.isNull());
    key(grid(), Qt::Key_N);
    ASSERT_EQ(review().CurrentRow(), 3);
    // Linked: the frame with half the light keeps looking darker.
    EXPECT_LT(medianGrey(review().frame().picture), 38);
    EXPECT_TRUE(scripted.messages().isEmpty());

    auto checked = [this](const char* name) { return commande->MenuAction(QString::fromLatin1(name))->isChecked(); };
    EXPECT_TRUE(checked("Voir_EtirementLie"));
    key(grid(), Qt::Key_F6);
    EXPECT_TRUE(checked("Voir_EtirementparImage"));
    EXPECT_NEAR(medianGrey(review().frame().picture), 64, 3);
    key(grid(), Qt::Key_F6);
    EXPECT_TRUE(checked("Voir_SansEtirement"));
    key(grid(), Qt::Key_F6);
    EXPECT_TRUE(checked("Voir_EtirementLie"));
    EXPECT_LT(medianGrey(review().frame().picture), 38);
    // The linked curve made again from this frame brings it to the common look.
    commande->MenuAction(QStringLiteral("Voir_RecalculerlEtirement"))->trigger();
    EXPECT_NEAR(medianGrey(review().frame().picture), 64, 3);
    EXPECT_EQ(review().CurrentRow(), 3);
}

}  // namespace
