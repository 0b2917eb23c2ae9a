#include "platform/JpegCodec.h"
#include "review/ThumbnailGeometry.h"
#include "review/ThumbnailPicture.h"
#include "TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(ThumbnailGeometry, PictureSizeInCell)
{
    struct Case {
        QSize picture, cell;
        int factor;
        QSize thumb;
    } cases[] = {
        {{640, 480}, {75, 75}, 9, {71, 53}},     // the common case
        {{40, 30}, {75, 75}, 1, {40, 30}},       // smaller than the cell: full size, never enlarged
        {{75, 75}, {75, 75}, 1, {75, 75}},       // exact fit
        {{76, 75}, {75, 75}, 2, {38, 37}},       // one pixel over: next integer factor
        {{1920, 1080}, {75, 75}, 26, {73, 41}},
        {{480, 640}, {100, 50}, 13, {36, 49}},   // the height decides
        {{1, 200}, {75, 75}, 3, {0, 66}},        // a side can round down to nothing
        {{640, 480}, {0, -5}, 640, {1, 0}},      // degenerate cells count as 1 pixel
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1x%2 in %3x%4").arg(c.picture.width()).arg(c.picture.height())
                         .arg(c.cell.width()).arg(c.cell.height()).toStdString());
        EXPECT_EQ(reductionFactor(c.picture, c.cell), c.factor);
        EXPECT_EQ(thumbnailSize(c.picture, c.cell), c.thumb);
    }
}

TEST(ThumbnailGeometry, CellPlacesAndColumns)
{
    EXPECT_EQ(pageColumns(240, 75), 3);
    EXPECT_EQ(pageColumns(74, 75), 1);   // at least one
    EXPECT_EQ(pageColumns(300, 0), 300); // a 0 cell counts as 1 pixel, no division by zero
    const QSize cell(75, 60);
    EXPECT_EQ(cellRect(0, 3, cell), QRect(5, 5, 75, 60));
    EXPECT_EQ(cellRect(4, 3, cell), QRect(80, 65, 75, 60));
    EXPECT_EQ(cellRect(4, 3, cell, 30), QRect(80, 95, 75, 60));
    EXPECT_EQ(cellRect(3, 0, cell), QRect(5, 185, 75, 60));
    // Far slots are pinned inside the coordinates a widget can take instead of overflowing.
    EXPECT_GT(cellRect(1000000, 1, QSize(32768, 32768)).top(), 0);
    EXPECT_EQ(pageExtent(7, 3, cell), QSize(235, 190));
    EXPECT_EQ(pageExtent(2, 3, cell), QSize(160, 70));
    EXPECT_EQ(pageExtent(0, 3, cell), QSize(0, 0));
    EXPECT_EQ(clampCellSide(0), 1);
    EXPECT_EQ(clampCellSide(-5), 1);
    EXPECT_EQ(clampCellSide(75), 75);
}

class ThumbnailFiles : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    void TearDown() override { setThumbnailDctScaling(true); }
};

double meanDifference(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB888);
    const QImage y = b.convertToFormat(QImage::Format_RGB888);
    double sum = 0;
    for (int r = 0; r < x.height(); ++r)
        for (int i = 0; i < x.width() * 3; ++i)
            sum += std::abs(int(x.constScanLine(r)[i]) - int(y.constScanLine(r)[i]));
    return sum / (x.width() * x.height() * 3.0);
}

TEST_F(ThumbnailFiles, DrawnAtTheReducedSize)
{
    struct Case {
        const char* name;
        int w, h;
        QSize thumb;
    } cases[] = {
        {"a.bmp", 640, 480, {71, 53}},
        {"b.BMP", 40, 30, {40, 30}},
        {"c.jpg", 640, 480, {71, 53}},
        {"d.jpeg", 1920, 1080, {73, 41}},
        {"e.jpg", 50, 70, {50, 70}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeTestImage(path(c.name), c.w, c.h));
        const ThumbnailPicture t = makeThumbnail(path(c.name), QSize(75, 75));
        ASSERT_TRUE(t.ok) << t.errorText.toStdString();
        EXPECT_EQ(t.image.size(), c.thumb);
    }
}

TEST_F(ThumbnailFiles, ScaledJpegDecodeMatchesTheFullDecode)
{
    // The fast path decodes at 1/8; it must give the same picture as a full decode scaled down.
    ASSERT_TRUE(writeTestImage(path("big.jpg"), 1920, 1080, QColor(30, 200, 90)));
    const ThumbnailPicture fast = makeThumbnail(path("big.jpg"), QSize(75, 75));
    setThumbnailDctScaling(false);
    const ThumbnailPicture full = makeThumbnail(path("big.jpg"), QSize(75, 75));
    ASSERT_TRUE(fast.ok);
    ASSERT_TRUE(full.ok);
    ASSERT_EQ(fast.image.size(), full.image.size());
    EXPECT_LT(meanDifference(fast.image, full.image), 6.0);
    // And it shows the picture: the disc's colour at the centre, the gradient in a corner.
    const QColor centre = fast.image.pixelColor(fast.image.width() / 2, fast.image.height() / 2);
    EXPECT_NEAR(centre.green(), 200, 20);
    EXPECT_LT(fast.image.pixelColor(1, 1).red(), 40);
}

TEST_F(ThumbnailFiles, IconsAreMeasuredNotDrawnAndFailuresCarryAReason)
{
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    ASSERT_TRUE(icon.save(path("i.ico"), "ICO"));
    const ThumbnailPicture i = makeThumbnail(path("i.ico"), QSize(20, 20));
    ASSERT_TRUE(i.ok) << i.errorText.toStdString();
    EXPECT_EQ(i.image.size(), QSize(16, 16));
    EXPECT_EQ(i.image.pixelColor(8, 8), QColor(Qt::white));

    ASSERT_TRUE(writeTestImage(path("whole.jpg"), 200, 100));
    const QByteArray bytes = readAll(path("whole.jpg"));
    ASSERT_TRUE(writeAll(path("cut.jpg"), bytes.left(bytes.size() / 2)));
    ASSERT_TRUE(writeAll(path("junk.bmp"), QByteArray("not a bitmap at all")));
    ASSERT_TRUE(writeAll(path("notes.txt"), QByteArray("text")));
    for (const char* name : {"cut.jpg", "junk.bmp", "notes.txt", "missing.jpg"}) {
        SCOPED_TRACE(name);
        const ThumbnailPicture t = makeThumbnail(path(name), QSize(75, 75));
        EXPECT_FALSE(t.ok);
        EXPECT_FALSE(t.errorText.isEmpty());
        EXPECT_TRUE(t.image.isNull());
    }
}

}  // namespace
