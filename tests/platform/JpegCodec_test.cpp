#include "platform/JpegCodec.h"
#include "platform/Picture.h"

#include "TestFiles.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// Mean absolute difference per channel between two pictures of one size.
double meanDifference(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB888);
    const QImage y = b.convertToFormat(QImage::Format_RGB888);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar* p = x.constScanLine(row);
        const uchar* q = y.constScanLine(row);
        for (int i = 0; i < 3 * x.width(); ++i)
            sum += std::abs(int(p[i]) - int(q[i]));
    }
    return sum / (3.0 * x.width() * x.height());
}

// A progressive grey 16 × 16 JPEG whose 63 AC coefficients each get their own band, refined bit by
// bit from `bits` down: 11 + 63 × (bits + 1) scans for bits = 10, a few hundred for fewer.
QByteArray manyScanJpeg(int bits)
{
    std::vector<jpeg_scan_info> scans;
    auto scan = [&scans](int ss, int se, int ah, int al) {
        jpeg_scan_info s {};
        s.comps_in_scan = 1;
        s.component_index[0] = 0;
        s.Ss = ss;
        s.Se = se;
        s.Ah = ah;
        s.Al = al;
        scans.push_back(s);
    };
    scan(0, 0, 0, bits);
    for (int al = bits - 1; al >= 0; --al)
        scan(0, 0, al + 1, al);
    for (int k = 1; k < 64; ++k) {
        scan(k, k, 0, bits);
        for (int al = bits - 1; al >= 0; --al)
            scan(k, k, al + 1, al);
    }
    jpeg_compress_struct c {};
    jpeg_error_mgr err {};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = 16;
    c.image_height = 16;
    c.input_components = 1;
    c.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    c.scan_info = scans.data();
    c.num_scans = int(scans.size());
    jpeg_start_compress(&c, TRUE);
    unsigned char row[16];
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x)
            row[x] = (unsigned char)(x * 16 + y);
        JSAMPROW r = row;
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    QByteArray out(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return out;
}

TEST(JpegCodec, ProgressiveFileWithEndlessScansIsRefused)
{
    struct Case {
        int bits;
        bool decodes;
    };
    const Case cases[] = {{0, true}, {4, true}, {10, false}};  // 128, 320 and 704 scans
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        const JpegDecodeResult r = decodeJpeg(manyScanJpeg(c.bits));
        EXPECT_EQ(r.ok(), c.decodes) << r.errorText.toStdString();
        if (c.decodes) {
            EXPECT_EQ(r.image.size(), QSize(16, 16));
            EXPECT_NEAR(qGray(r.image.pixel(3, 0)), 48, 4);  // grey comes out as RGB
        } else {
            EXPECT_EQ(r.errorCode, JERR_BAD_PROGRESSION);
        }
    }
}

class JpegCodecTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
};

TEST_F(JpegCodecTest, ScaledDecodeGivesTheScaledSize)
{
    ASSERT_TRUE(writeTestImage(path("hd.jpg"), 1920, 1080));
    ASSERT_TRUE(writeTestImage(path("odd.jpg"), 101, 77));
    struct Case {
        const char* name;
        int denom;
        QSize size;
    };
    const Case cases[] = {
        {"hd.jpg", 1, {1920, 1080}}, {"hd.jpg", 2, {960, 540}}, {"hd.jpg", 4, {480, 270}},
        {"hd.jpg", 8, {240, 135}},   {"hd.jpg", 3, {960, 540}}, {"hd.jpg", 0, {1920, 1080}},
        {"hd.jpg", 16, {240, 135}},  {"odd.jpg", 4, {26, 20}},  {"odd.jpg", 8, {13, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " /" + std::to_string(c.denom));
        const PictureResult r = loadPicture(path(c.name), c.denom);
        ASSERT_TRUE(r.ok()) << r.errorText.toStdString();
        EXPECT_EQ(r.image.size(), c.size);
        EXPECT_EQ(r.image.format(), QImage::Format_RGB888);
        const QSize full = c.name == std::string("hd.jpg") ? QSize(1920, 1080) : QSize(101, 77);
        EXPECT_EQ(jpegScaledSize(full, c.denom), c.size);
    }
    // Bitmaps ignore the scale.
    ASSERT_TRUE(writeTestImage(path("b.bmp"), 64, 32));
    EXPECT_EQ(loadPicture(path("b.bmp"), 8).image.size(), QSize(64, 32));
}

TEST_F(JpegCodecTest, ScaleForReductionNeverGivesLessThanTheReducedPicture)
{
    const QSize full(1000, 750);
    ASSERT_TRUE(writeTestImage(path("p.jpg"), full.width(), full.height()));
    const QByteArray bytes = readAll(path("p.jpg"));
    for (int f = 1; f <= 20; ++f) {
        const int d = jpegScaleForReduction(f);
        const JpegDecodeResult r = decodeJpeg(bytes, d);
        ASSERT_TRUE(r.ok());
        EXPECT_GE(r.image.width(), full.width() / f) << f;
        EXPECT_GE(r.image.height(), full.height() / f) << f;
        // and takes the largest scale that does
        if (d < 8) {
            EXPECT_LT(full.width() / (2 * d), full.width() / f) << f;
        }
    }
}

TEST_F(JpegCodecTest, EncodeThenDecodeRoundTrip)
{
    ASSERT_TRUE(writeTestImage(path("src.bmp"), 320, 200));
    const PictureResult source = loadPicture(path("src.bmp"));
    ASSERT_TRUE(source.ok());

    struct Case {
        int quality;
        double maxDifference;
    };
    const Case cases[] = {{100, 2.0}, {50, 6.0}, {0, 40.0}};
    qint64 previousSize = -1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.quality);
        const QString out = path(QStringLiteral("q%1.JPG").arg(c.quality));
        const JpegEncodeResult e = encodeJpeg(source.image, c.quality, out);
        ASSERT_TRUE(e.ok) << e.errorText.toStdString();
        const PictureResult back = loadPicture(out);
        ASSERT_TRUE(back.ok()) << back.errorText.toStdString();
        EXPECT_EQ(back.image.size(), QSize(320, 200));
        EXPECT_LE(meanDifference(back.image, source.image), c.maxDifference);
        EXPECT_GT(meanDifference(back.image, source.image), 0.0);  // it really went through JPEG
        const qint64 size = QFileInfo(out).size();
        if (previousSize >= 0) {
            EXPECT_LT(size, previousSize);  // lower quality, smaller file
        }
        previousSize = size;
    }

    // Every setting but the quality is the library's default (quantisers kept to baseline's 8
    // bits): the bytes are those of libjpeg's own cjpeg at that quality.
    const QString cjpeg = QStandardPaths::findExecutable(QStringLiteral("cjpeg"));
    if (cjpeg.isEmpty())
        GTEST_SKIP() << "cjpeg not installed";
    ASSERT_TRUE(source.image.convertToFormat(QImage::Format_RGB888).save(path("src.ppm"), "PPM"));
    for (int quality : {5, 75, 100}) {
        SCOPED_TRACE(quality);
        QProcess p;
        p.start(cjpeg, {QStringLiteral("-baseline"), QStringLiteral("-quality"), QString::number(quality), path("src.ppm")});
        ASSERT_TRUE(p.waitForFinished(10000));
        const QByteArray reference = p.readAllStandardOutput();
        ASSERT_FALSE(reference.isEmpty());
        QByteArray ours;
        ASSERT_TRUE(encodeJpegToBytes(source.image.convertToFormat(QImage::Format_ARGB32), quality, ours).ok);
        EXPECT_EQ(ours, reference);
    }
}

TEST_F(JpegCodecTest, EncodeReplacesOrFailsCleanly)
{
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(Qt::blue);
    ASSERT_TRUE(writeAll(path("old.jpg"), "previous content"));
    EXPECT_TRUE(encodeJpeg(img, 90, path("old.jpg")).ok);
    EXPECT_TRUE(loadPicture(path("old.jpg")).ok());

    const JpegEncodeResult noDir = encodeJpeg(img, 90, path("no/such/dir/x.jpg"));
    EXPECT_FALSE(noDir.ok);
    EXPECT_FALSE(noDir.errorText.isEmpty());

    const JpegEncodeResult empty = encodeJpeg(QImage(), 90, path("empty.jpg"));
    EXPECT_FALSE(empty.ok);
    EXPECT_NE(empty.errorCode, 0);
    EXPECT_FALSE(QFileInfo::exists(path("empty.jpg")));
}

TEST_F(JpegCodecTest, HeaderAloneGivesTheSize)
{
    ASSERT_TRUE(writeTestImage(path("hd.jpg"), 1920, 1080));
    const QByteArray jpeg = readAll(path("hd.jpg"));

    // Two large APP segments push the frame header past the first read of the file.
    QByteArray app(2 + 2 + 60000, 'x');
    app[0] = char(0xFF);
    app[1] = char(0xE9);
    app[2] = char((60002 >> 8) & 0xFF);
    app[3] = char(60002 & 0xFF);
    ASSERT_TRUE(writeAll(path("bigapp.jpg"), jpeg.left(2) + app + app + jpeg.mid(2)));
    ASSERT_TRUE(writeAll(path("cut.jpg"), jpeg.left(jpeg.size() / 4)));
    ASSERT_TRUE(writeAll(path("text.jpg"), "pas une image"));

    struct Case {
        const char* name;
        QSize size;  // invalid when the header cannot be read
    };
    const Case cases[] = {
        {"hd.jpg", {1920, 1080}}, {"bigapp.jpg", {1920, 1080}}, {"cut.jpg", {1920, 1080}},
        {"text.jpg", {}},         {"missing.jpg", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const JpegHeader h = readJpegHeaderFromFile(path(c.name));
        EXPECT_EQ(h.size, c.size);
        EXPECT_EQ(h.ok(), c.size.isValid());
        if (!h.ok()) {
            EXPECT_FALSE(h.errorText.isEmpty());
        }
    }
    EXPECT_TRUE(loadPicture(path("bigapp.jpg")).ok());
    EXPECT_EQ(readJpegHeaderFromFile(path("hd.jpg")).components, 3);
}

}  // namespace
