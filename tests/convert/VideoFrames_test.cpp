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
    SerLayout grey, rgb;
    rgb.colorId = 100;
    // The conversion, the video, the frame, MoveToTarget's folder, the file written (none: the
    // frame is refused) and what JPEG coding may change in a sample.
    const std::tuple<Converter, SerLayout, int, QString, QString, int> cases[] = {
        {ConvertBmpToJpeg, grey, 7, "", "jupiter_00007_100.JPG", 3},
        {ConvertJpegToBmp, rgb, 10, "out", "out/jupiter_00010.BMP", 0},
        {ConvertBmpToFits, grey, 3, "", "", 0},
    };
    ReviewController review;
    for (const auto& [converter, plan, number, target, written, leeway] : cases) {
        const QByteArray video = serBytes(plan);
        const QString entry = path("jupiter.ser#%1").arg(number, 5, 10, QLatin1Char('0'));
        ASSERT_TRUE(writeAll(path("jupiter.ser"), video) && QDir().mkpath(path("out")));
        review.document().clear();
        review.document().appendFiles({entry});
        review.Recount();
        programOptions().JpegQuality = 100;
        programOptions().MoveToTarget = !target.isEmpty();
        programOptions().TargetDirectory = path(target);
        sp.clear();
        sp.answerChoice(Choice::Yes);  // to "Voulez-vous Continuer?" for a refused frame
        EXPECT_EQ(ConvertirBmpClick(review, [] { return true; }, converter), written.isEmpty() ? 0 : 1);
        EXPECT_EQ(readAll(path("jupiter.ser")), video);
        const QString refused = QString::fromUtf8("Traitement Terminé: 0 Fichiers Traités\n"
                                                  "1 Échec : Image de vidéo non convertible en FITS : ") + entry;
        EXPECT_EQ(sp.messages().last(),
                  written.isEmpty() ? refused : QString::fromUtf8("Traitement Terminé: 1 Fichiers Traités"));
        const QImage img = written.isEmpty()         ? QImage()
                           : written.endsWith(".JPG") ? decodeJpeg(readAll(path(written))).image
                                                      : QImage(path(written));
        EXPECT_EQ(img.size(), written.isEmpty() ? QSize(0, 0) : QSize(plan.width, plan.height));
        for (int i = 0; i < img.width() * img.height() * 3; ++i) {
            const int x = i / 3 % img.width(), y = i / 3 / img.width(), p = i % 3;
            const QRgb px = img.pixel(x, y);
            const int want = int(plan.sample(number - 1, x, y, plan.colorId >= 100 ? p : 0));
            const int got = p == 0 ? qRed(px) : p == 1 ? qGreen(px) : qBlue(px);
            ASSERT_LE(std::abs(got - want), leeway) << x << "," << y;
        }
    }
}
