// Frames of a video in the conversions: BMP to JPEG and JPEG to BMP write the frame's own pixels to
// a file named after the video and the frame, the video untouched; BMP to FITS refuses frames.
#include "ConvertFixture.h"
#include "VideoFixture.h"
#include "controller/ReviewController.h"
#include "convert/ConversionDriver.h"
#include "platform/JpegCodec.h"

#include <QDir>

#include <cstdlib>

namespace {

class VideoFramesTest : public ConvertTest {
protected:
    ReviewController review;
};

TEST_F(VideoFramesTest, AFrameIsExtractedWithItsPixels)
{
    SerSpec grey;
    SerSpec rgb;
    rgb.colorId = 100;
    using Set = std::function<void(ProgramOptions&)>;
    const Set plain = [](ProgramOptions&) {};
    struct Case {
        const char* what;
        Converter converter;
        SerSpec spec;
        int number;
        Set set;
        const char* written;  // below the root; null: nothing written, the frame is refused
        int tolerance;        // what the JPEG coding may change in a sample
    };
    const Case cases[] = {
        {"to JPEG beside the video", ConvertBmpToJpeg, grey, 7, plain, "in/jupiter_00007_100.JPG", 3},
        {"to BMP beside the video", ConvertJpegToBmp, grey, 7, plain, "in/jupiter_00007.BMP", 0},
        {"to BMP in the target directory, colour", ConvertJpegToBmp, rgb, 10,
         [this](ProgramOptions& o) {
             o.MoveToTarget = true;
             o.TargetDirectory = path("out");
         },
         "out/jupiter_00010.BMP", 0},
        {"not to FITS", ConvertBmpToFits, grey, 3, plain, nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(QDir(path("in")).removeRecursively() && QDir(path("out")).removeRecursively());
        ASSERT_TRUE(QDir().mkpath(path("in")) && QDir().mkpath(path("out")));
        const QByteArray video = serBytes(c.spec);
        const QString ser = path("in/jupiter.ser");
        ASSERT_TRUE(writeAll(ser, video));
        const QString entry = ser + QStringLiteral("#%1").arg(c.number, 5, 10, QLatin1Char('0'));
        review.document().clear();
        review.document().appendFiles({entry});
        review.Recount();
        setDefaults(programOptions());
        programOptions().JpegQuality = 100;
        c.set(programOptions());
        sp.clear();
        sp.answerChoice(Choice::Yes);  // to "Voulez-vous Continuer?", asked for a frame refused

        EXPECT_EQ(ConvertirBmpClick(review, [] { return true; }, c.converter), c.written ? 1 : 0);
        EXPECT_EQ(readAll(ser), video);
        EXPECT_EQ(review.EntryPath(1), entry);
        QStringList files = QDir(path("in")).entryList(QDir::Files) + QDir(path("out")).entryList(QDir::Files);
        files.sort();
        if (!c.written) {
            EXPECT_EQ(files, QStringList{"jupiter.ser"});
            const QString why = QString::fromUtf8("Image de vidéo non convertible en FITS");
            ASSERT_FALSE(sp.shown().empty());
            EXPECT_EQ(sp.shown().front().caption, "Impossible de Traiter le Fichier: " + entry);
            EXPECT_EQ(sp.messages(),
                      (QStringList{why + "\nVoulez-vous Continuer?",
                                   QString::fromUtf8("Traitement Terminé: 0 Fichiers Traités\n1 Échec : ") + why + " : " + entry}));
            continue;
        }
        EXPECT_EQ(files, (QStringList{"jupiter.ser", QFileInfo(c.written).fileName()}));
        EXPECT_EQ(sp.messages(), QStringList{QString::fromUtf8("Traitement Terminé: 1 Fichiers Traités")});
        const QString out = path(c.written);
        const QImage img = out.endsWith(".JPG") ? decodeJpeg(readAll(out)).image : QImage(out);
        ASSERT_EQ(img.size(), QSize(c.spec.width, c.spec.height));
        int worst = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor got = img.pixelColor(x, y);
                const int planes = c.spec.colorId >= 100 ? 3 : 1;
                const int want[3] = {int(c.spec.sample(c.number - 1, x, y, 0)),
                                     int(c.spec.sample(c.number - 1, x, y, planes > 1 ? 1 : 0)),
                                     int(c.spec.sample(c.number - 1, x, y, planes > 1 ? 2 : 0))};
                worst = std::max({worst, std::abs(got.red() - want[0]), std::abs(got.green() - want[1]),
                                  std::abs(got.blue() - want[2])});
            }
        EXPECT_LE(worst, c.tolerance);
    }
}

}  // namespace
