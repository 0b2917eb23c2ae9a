#include "platform/DisplayStretch.h"
#include "platform/FitsReader.h"
#include "platform/Picture.h"
#include "platform/Stretch.h"
#include "review/Sharpness.h"

#include "PlanetFrames.h"
#include "TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cmath>
#include <cstring>
#include <numeric>
#include <random>

namespace {

// Writes FITS files with astropy, each beside NAME.raw: the values astropy reads back, as float64
// in its array order (plane, row, column), so that our reader is checked against a second one.
const char* const kWriteFits = R"PY(
import sys, numpy as np
from astropy.io import fits
d = sys.argv[1]
rng = np.random.default_rng(3)
def save(name, hdul, read_hdu=None):
    hdul.writeto(f"{d}/{name}", overwrite=True)
    with fits.open(f"{d}/{name}") as f:
        h = next(x for x in f if x.data is not None and x.is_image)
        np.asarray(h.data, dtype='<f8').tofile(f"{d}/{name}.raw")
mono = (7, 5); colour = (3, 7, 5)
save("b8.fits", fits.HDUList([fits.PrimaryHDU(rng.integers(0, 256, mono).astype(np.uint8))]))
save("b16.fits", fits.HDUList([fits.PrimaryHDU(rng.integers(-32768, 32767, mono).astype(np.int16))]))
save("b16u.fit", fits.HDUList([fits.PrimaryHDU(rng.integers(0, 65536, mono).astype(np.uint16))]))
save("b16u3.fts", fits.HDUList([fits.PrimaryHDU(rng.integers(0, 65536, colour).astype(np.uint16))]))
save("b32.fits", fits.HDUList([fits.PrimaryHDU(rng.integers(-2**31, 2**31 - 1, mono).astype(np.int32))]))
f32 = rng.normal(1000, 50, colour).astype(np.float32); f32[1, 2, 3] = np.nan
save("bm32.fits", fits.HDUList([fits.PrimaryHDU(f32)]))
save("bm64.FITS", fits.HDUList([fits.PrimaryHDU(rng.normal(0, 1e5, mono))]))
h = fits.PrimaryHDU(rng.integers(-1000, 1000, mono).astype(np.int16)); h.scale('int16', bscale=2.0, bzero=100.0)
save("scaled.fits", fits.HDUList([h]))
save("ext.fits", fits.HDUList([fits.PrimaryHDU(), fits.ImageHDU(rng.integers(0, 65536, mono).astype(np.uint16))]))
save("tiles.fz", fits.HDUList([fits.PrimaryHDU(), fits.CompImageHDU(rng.integers(0, 65536, (40, 30)).astype(np.uint16))]))
save("gzip.fz", fits.HDUList([fits.PrimaryHDU(), fits.CompImageHDU(rng.integers(0, 65536, (40, 30)).astype(np.uint16), compression_type='GZIP_1')]))
# Broken ones, each its own way.
for kind in ('PLIO_1', 'HCOMPRESS_1'):  # their decoders are not safe on damaged tiles
    fits.HDUList([fits.PrimaryHDU(), fits.CompImageHDU(rng.integers(0, 256, (40, 30)).astype(np.int16), compression_type=kind)]).writeto(f"{d}/{kind}.fz")
fits.HDUList([fits.PrimaryHDU(), fits.BinTableHDU.from_columns([fits.Column(name='a', format='J', array=np.arange(3))])]).writeto(f"{d}/table.fits")
fits.PrimaryHDU(np.zeros((2, 1, 3, 4), np.uint16)).writeto(f"{d}/naxis4.fits")
hdr = fits.Header(); hdr['SIMPLE'] = True; hdr['BITPIX'] = 16; hdr['NAXIS'] = 2; hdr['NAXIS1'] = 100000; hdr['NAXIS2'] = 100000
open(f"{d}/huge.fits", "wb").write(hdr.tostring().encode() + b"\0" * 2880)
fits.PrimaryHDU(np.full((60, 80), 5, np.uint16)).writeto(f"{d}/flat.fits")
raw = open(f"{d}/b16u.fit", "rb").read(); fits.PrimaryHDU(np.zeros((600, 800), np.uint16)).writeto(f"{d}/cut.fits")
open(f"{d}/cut.fits", "r+b").truncate(2880 * 2)
raw = bytearray(open(f"{d}/tiles.fz", "rb").read())
with fits.open(f"{d}/tiles.fz", disable_image_compression=True) as f:
    at = f[1].fileinfo()['datLoc']  # the first tile's length: 3 GB claimed in a small file
raw[at:at + 4] = (3000000000).to_bytes(4, 'big'); open(f"{d}/longtile.fz", "wb").write(raw)
raw = bytearray(open(f"{d}/gzip.fz", "rb").read())
with fits.open(f"{d}/gzip.fz", disable_image_compression=True) as f:
    at = f[1].fileinfo()['datLoc']  # the first tile cut to 10 bytes: a stream with no end
raw[at:at + 4] = (10).to_bytes(4, 'big'); open(f"{d}/gzipcut.fz", "wb").write(raw)
# The divisors of the tile reader, zero or unreadable.
for name, key, value in (("zerotile.fz", "ZTILE2", "0"), ("wordtile.fz", "ZTILE1", "'ROWS'"), ("zeroblock.fz", "ZVAL1", "0"),
                         ("zeroaxis.fz", "ZNAXIS1", "0")):
    b = bytearray(open(f"{d}/tiles.fz", "rb").read()); at = b.index(f"{key:<8}= ".encode())
    b[at:at + 80] = f"{key:<8}= {value:>20}".ljust(80).encode(); open(f"{d}/{name}", "wb").write(b)
b = bytearray(open(f"{d}/tiles.fz", "rb").read()); at = b.index(b"TTYPE1  = ")  # a column name of 70, unquoted
b[at:at + 80] = b"TTYPE1  = " + b"u" * 70; open(f"{d}/longname.fz", "wb").write(b)
b = bytearray(open(f"{d}/tiles.fz", "rb").read()); at = b.index(b"ZBITPIX = ")  # a number that is none
b[at:at + 80] = (b"ZBITPIX = " + b"N10x" * 17)[:80]; open(f"{d}/wordbitpix.fz", "wb").write(b)
b = bytearray(open(f"{d}/tiles.fz", "rb").read())
with fits.open(f"{d}/tiles.fz", disable_image_compression=True) as f:
    at = f[1].fileinfo()['datLoc']; heap = at + f[1].header['NAXIS1'] * f[1].header['NAXIS2']
n, off = int.from_bytes(b[at:at + 4], 'big'), int.from_bytes(b[at + 4:at + 8], 'big')
b[heap + off + 2:heap + off + n] = b"\x10" + b"\0" * (n - 3)  # Rice codes, then zeros to the tile's end
open(f"{d}/ricezeros.fz", "wb").write(b)
bay = np.full((40, 40), 1000, np.uint16)
bay[:, :20][0::2, 0::2] = 60000   # left half red: the R sites of RGGB bright
bay[:, 20:][1::2, 1::2] = 60000   # right half blue: the B sites bright
h = fits.PrimaryHDU(bay); h.header['BAYERPAT'] = 'RGGB'; h.writeto(f"{d}/bayer.fits")
h = fits.PrimaryHDU(np.roll(bay, 1, axis=1)); h.header['BAYERPAT'] = 'RGGB'; h.header['XBAYROFF'] = 1; h.writeto(f"{d}/bayeroff.fits")
)PY";

// The synthetic sky: a background of known median and spread (Gaussian noise, σ = 1.4826 × MAD).
LinearImage skyFrame(double background, double sigma, int w = 400, int h = 300, unsigned seed = 5)
{
    LinearImage img;
    img.width = w;
    img.height = h;
    img.nominalMax = 65535;
    img.u16.resize(size_t(w) * h);
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(background, sigma);
    for (uint16_t& v : img.u16)
        v = uint16_t(std::clamp(std::lround(noise(rng)), 0L, 65535L));
    return img;
}

// A 16-bit grey TIFF in strips of two rows, as cameras' programs write them.
bool writeTiff16(const QString& file, const QImage& grey16)
{
    TIFF* t = TIFFOpen(file.toLocal8Bit().constData(), "w");
    if (!t)
        return false;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(grey16.width()));
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(grey16.height()));
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 2);
    bool ok = true;
    for (int y = 0; y < grey16.height(); ++y)
        ok = ok && TIFFWriteScanline(t, const_cast<uchar*>(grey16.constScanLine(y)), uint32_t(y), 0) >= 0;
    TIFFClose(t);
    return ok;
}

int medianGrey(const QImage& img)
{
    std::vector<int> v;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            v.push_back(qGray(img.pixel(x, y)));
    std::nth_element(v.begin(), v.begin() + ptrdiff_t(v.size() / 2), v.end());
    return v[v.size() / 2];
}

class LinearFramesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new QTemporaryDir;
        QProcess p;
        p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(kWriteFits), dir_->path()});
        ASSERT_TRUE(p.waitForFinished(60000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    }
    static void TearDownTestSuite() { delete dir_; }
    QString path(const char* name) const { return dir_->filePath(QString::fromLatin1(name)); }
    void SetUp() override
    {
        DisplayStretch::setMode(StretchMode::Linked);
        DisplayStretch::resetLinked();
    }
    static QTemporaryDir* dir_;
};
QTemporaryDir* LinearFramesTest::dir_ = nullptr;

TEST_F(LinearFramesTest, EveryKindOfFitsReadsTheValuesAstropyReads)
{
    struct Case {
        const char* name;
        int planes;
        bool sixteenBits;  // kept as 16-bit samples, not float
    };
    for (const Case& c : {Case{"b8.fits", 1, true}, Case{"b16.fits", 1, false}, Case{"b16u.fit", 1, true},
                          Case{"b16u3.fts", 3, true}, Case{"b32.fits", 1, false}, Case{"bm32.fits", 3, false},
                          Case{"bm64.FITS", 1, false}, Case{"scaled.fits", 1, false}, Case{"ext.fits", 1, true},
                          Case{"tiles.fz", 1, true}, Case{"gzip.fz", 1, true}}) {
        SCOPED_TRACE(c.name);
        const PictureResult r = loadPictureData(path(c.name));
        ASSERT_TRUE(r.ok()) << r.errorText.toStdString();
        ASSERT_TRUE(r.linear);
        const LinearImage& img = *r.linear;
        EXPECT_EQ(img.planes, c.planes);
        EXPECT_EQ(img.isFloat(), !c.sixteenBits);
        const QByteArray raw = readAll(path(c.name) + QStringLiteral(".raw"));
        ASSERT_EQ(raw.size(), qsizetype(img.planeSize() * img.planes * 8));
        const auto* want = reinterpret_cast<const double*>(raw.constData());
        for (int p = 0; p < img.planes; ++p)
            for (int y = 0; y < img.height; ++y)
                for (int x = 0; x < img.width; ++x) {
                    const double w = want[(size_t(p) * img.height + y) * img.width + x], got = img.at(x, y, p);
                    if (std::isnan(w))
                        EXPECT_TRUE(std::isnan(got));
                    else  // float samples keep 24 bits of a 32-bit or double value
                        ASSERT_NEAR(got, w, std::abs(w) * 1e-7) << x << "," << y << "," << p;
                }
    }
}

TEST_F(LinearFramesTest, BrokenFitsAreRefusedWithTheirReasonAndFlatOrBlankOnesStillShow)
{
    struct Case {
        const char* name;
        const char* message;  // part of the error text; nullptr: it decodes
    };
    for (const Case& c : {Case{"table.fits", "Image FITS incorrecte (aucune image)"},
                          Case{"naxis4.fits", "Image FITS incorrecte (4 axes)"},
                          Case{"huge.fits", "Image trop grande (100000 x 100000 pixels)"},
                          Case{"cut.fits", "Image FITS incorrecte"}, Case{"longtile.fz", "Image FITS incorrecte (tuile hors du fichier)"},
                          Case{"gzipcut.fz", "Image FITS incorrecte (tuile GZIP illisible)"},
                          Case{"zerotile.fz", "Image FITS incorrecte"}, Case{"wordtile.fz", "Image FITS incorrecte"},
                          Case{"zeroblock.fz", "Image FITS incorrecte (taille de tuile illisible)"},
                          Case{"zeroaxis.fz", "Image FITS incorrecte (taille de tuile illisible)"},
                          Case{"longname.fz", "Image FITS incorrecte (en-tête illisible)"},
                          Case{"wordbitpix.fz", "Image FITS incorrecte (en-tête illisible)"},
                          Case{"ricezeros.fz", "Image FITS incorrecte (tuile Rice illisible)"},
                          Case{"PLIO_1.fz", "Image FITS incorrecte (compression PLIO_1 non prise en charge)"},
                          Case{"HCOMPRESS_1.fz", "Image FITS incorrecte (compression HCOMPRESS_1 non prise en charge)"},
                          Case{"flat.fits", nullptr}}) {
        SCOPED_TRACE(c.name);
        const PictureResult r = loadPicture(path(c.name));
        if (!c.message) {
            ASSERT_TRUE(r.ok());
            EXPECT_FALSE(r.image.isNull());
            continue;
        }
        EXPECT_EQ(r.status, PictureStatus::Undecodable);
        EXPECT_TRUE(r.errorText.contains(QString::fromUtf8(c.message))) << r.errorText.toStdString();
    }
    // A blank pixel shows black, whatever the curve.
    DisplayStretch::setMode(StretchMode::PerFrame);
    const PictureResult blank = loadPicture(path("bm32.fits"));
    ASSERT_TRUE(blank.ok());
    EXPECT_EQ(qGreen(blank.image.pixel(3, 2)), 0);  // the green plane's blank sample
}

TEST_F(LinearFramesTest, AMosaicShowsTheColoursOfItsPatchesAndItsOffsetsAreApplied)
{
    DisplayStretch::setMode(StretchMode::Off);
    for (const char* name : {"bayer.fits", "bayeroff.fits"}) {
        SCOPED_TRACE(name);
        const PictureResult r = loadPicture(path(name));
        ASSERT_TRUE(r.ok());
        const QRgb left = r.image.pixel(8, 20), right = r.image.pixel(30, 20);
        EXPECT_GT(qRed(left), 240);
        EXPECT_LT(qBlue(left), 10);
        EXPECT_LT(qGreen(left), 10);
        EXPECT_GT(qBlue(right), 240);
        EXPECT_LT(qRed(right), 10);
    }
}

TEST_F(LinearFramesTest, TheAutomaticStretchPutsTheBackgroundAtAQuarterAndTheLinkedOneKeepsADimFrameDim)
{
    DisplayStretch::setMode(StretchMode::PerFrame);
    for (const double background : {300.0, 2000.0, 20000.0}) {
        const QImage shown = DisplayStretch::render(skyFrame(background, 25));
        EXPECT_NEAR(medianGrey(shown), 0.25 * 255, 0.01 * 255) << background;
    }
    // Linked: the first frame's curve stays, so that a frame at half the light stays darker.
    DisplayStretch::setMode(StretchMode::Linked);
    const QImage first = DisplayStretch::render(skyFrame(2000, 25));
    const QImage dim = DisplayStretch::render(skyFrame(1000, 18, 400, 300, 9));
    EXPECT_NEAR(medianGrey(first), 64, 3);
    EXPECT_LT(medianGrey(dim), 0.15 * 255);
    // Per frame, the same dim frame is brought back to the common look.
    DisplayStretch::setMode(StretchMode::PerFrame);
    EXPECT_NEAR(medianGrey(DisplayStretch::render(skyFrame(1000, 18, 400, 300, 9))), 64, 3);
}

TEST_F(LinearFramesTest, SixteenBitAndFloatFramesOfASeriesRankTheSame)
{
    std::vector<double> sixteen, floating;
    for (const double blur : {0.6, 2.4, 1.2, 3.5, 0.9}) {
        PlanetFrame f;
        f.blurSigma = blur;
        f.seed = unsigned(blur * 10);
        const QImage grey = planetFrame(f);
        LinearImage a, b;
        a.width = b.width = grey.width();
        a.height = b.height = grey.height();
        for (int y = 0; y < grey.height(); ++y)
            for (int x = 0; x < grey.width(); ++x) {
                const int v = grey.constScanLine(y)[x];
                a.u16.push_back(uint16_t(v * 16));  // 12-bit data in a 16-bit container
                b.f32.push_back(float(v) / 255.0f);
            }
        sixteen.push_back(measureSharpness(a).value);
        floating.push_back(measureSharpness(b).value);
    }
    auto order = [](const std::vector<double>& v) {
        std::vector<int> idx(v.size());
        std::iota(idx.begin(), idx.end(), 0);
        std::sort(idx.begin(), idx.end(), [&](int i, int j) { return v[size_t(i)] > v[size_t(j)]; });
        return idx;
    };
    EXPECT_EQ(order(sixteen), order(floating));
    EXPECT_EQ(order(sixteen), (std::vector<int>{0, 4, 2, 1, 3}));
}

TEST_F(LinearFramesTest, SixteenBitPngAndTiffKeepTheirData)
{
    QImage png(6, 4, QImage::Format_Grayscale16);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            reinterpret_cast<quint16*>(png.scanLine(y))[x] = quint16(1000 * x + 37 * y + 3);
    ASSERT_TRUE(png.save(path("deep.png")));
    ASSERT_TRUE(writeTiff16(path("deep.tif"), png));
    for (const char* name : {"deep.png", "deep.tif"}) {
        SCOPED_TRACE(name);
        const PictureResult r = loadPictureData(path(name));
        ASSERT_TRUE(r.ok()) << r.errorText.toStdString();
        ASSERT_TRUE(r.linear);
        EXPECT_EQ(r.linear->at(5, 3), 1000 * 5 + 37 * 3 + 3);
    }
    // An 8-bit PNG is an ordinary picture.
    ASSERT_TRUE(QImage(png.convertToFormat(QImage::Format_Grayscale8)).save(path("plain.png")));
    const PictureResult plain = loadPicture(path("plain.png"));
    ASSERT_TRUE(plain.ok());
    EXPECT_FALSE(plain.linear);
}

}  // namespace
