// Frames of a video in the conversions: BMP to JPEG and JPEG to BMP write the frame's own pixels,
// named after the video and the frame, the video untouched; BMP to FITS refuses frames.
#include "ConvertFixture.h"
#include "VideoFixture.h"
#include "controller/ReviewController.h"
#include "convert/ConversionDriver.h"
#include "platform/JpegCodec.h"

#include <QDir>

TEST_F(ConvertTest, AFrameOfAVideoIsExtractedWithItsPixels)
{
    SerSpec grey, rgb;
    rgb.colorId = 100;
    struct Case {
        Converter converter;
        SerSpec spec;
        int number;
        const char* target;   // MoveToTarget's directory below the root, or none
        const char* written;  // below the root; none: the frame is refused
        int tolerance;        // what JPEG coding may change in a sample
    };
    const Case cases[] = {
        {ConvertBmpToJpeg, grey, 7, nullptr, "jupiter_00007_100.JPG", 3},
        {ConvertJpegToBmp, rgb, 10, "out", "out/jupiter_00010.BMP", 0},
        {ConvertBmpToFits, grey, 3, nullptr, nullptr, 0},
    };
    ReviewController review;
    for (const Case& c : cases) {
        const QByteArray video = serBytes(c.spec);
        const QString entry = path("jupiter.ser#%1").arg(c.number, 5, 10, QLatin1Char('0'));
        ASSERT_TRUE(writeAll(path("jupiter.ser"), video) && QDir().mkpath(path("out")));
        review.document().clear();
        review.document().appendFiles({entry});
        review.Recount();
        programOptions().JpegQuality = 100;
        programOptions().MoveToTarget = c.target != nullptr;
        programOptions().TargetDirectory = c.target ? path(c.target) : QString();
        sp.clear();
        sp.answerChoice(Choice::Yes);  // to "Voulez-vous Continuer?" for a refused frame
        EXPECT_EQ(ConvertirBmpClick(review, [] { return true; }, c.converter), c.written ? 1 : 0);
        EXPECT_EQ(readAll(path("jupiter.ser")), video);
        EXPECT_EQ(review.EntryPath(1), entry);
        const QString why = QString::fromUtf8("Image de vidéo non convertible en FITS");
        EXPECT_EQ(sp.messages().last(), c.written ? QString::fromUtf8("Traitement Terminé: 1 Fichiers Traités")
                                                  : QString::fromUtf8("Traitement Terminé: 0 Fichiers Traités\n1 Échec : ") + why + " : " + entry);
        if (!c.written) {
            EXPECT_EQ(QDir(dir.path()).entryList({"*.FIT"}, QDir::Files), QStringList{});
            continue;
        }
        const QString out = path(c.written);
        const QImage img = out.endsWith(".JPG") ? decodeJpeg(readAll(out)).image : QImage(out);
        ASSERT_EQ(img.size(), QSize(c.spec.width, c.spec.height));
        int worst = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                for (int p = 0; p < 3; ++p) {
                    const QColor got = img.pixelColor(x, y);
                    const int want = int(c.spec.sample(c.number - 1, x, y, c.spec.colorId >= 100 ? p : 0));
                    worst = std::max(worst, std::abs((p == 0 ? got.red() : p == 1 ? got.green() : got.blue()) - want));
                }
        EXPECT_LE(worst, c.tolerance);
    }
}
