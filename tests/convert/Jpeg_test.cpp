// BMP to JPEG and JPEG to BMP: the pixels match libjpeg-turbo's own cjpeg and djpeg on the same
// files; names, errors, "Visu" and the pause.
#include "ConvertFixture.h"
#include "convert/ImageConversion.h"
#include "platform/JpegCodec.h"
#include "platform/Picture.h"
#include "platform/ProgramError.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QtEndian>

namespace {

using JpegTest = ConvertTest;

// Runs one of libjpeg-turbo's tools; false (with the reason in *why) when it is missing or fails.
bool runTool(const char* name, const QStringList& args, QString* why)
{
    const QString tool = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (tool.isEmpty()) {
        *why = QStringLiteral("%1 not installed (libjpeg-turbo-progs)").arg(QLatin1String(name));
        return false;
    }
    QProcess p;
    p.start(tool, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *why = QStringLiteral("%1 failed: %2").arg(QLatin1String(name), QString::fromLocal8Bit(p.readAllStandardError()));
        return false;
    }
    return true;
}

QImage decodedPixels(const QString& jpegFile)
{
    return decodeJpeg(readAll(jpegFile)).image;
}

TEST_F(JpegTest, BmpToJpegDecodesLikeCjpegAtEachQuality)
{
    // An odd width, so that the bitmap's rows carry padding.
    const QString src = path(QStringLiteral("in.bmp"));
    ASSERT_TRUE(noisyFrame(301, 203).save(src, "BMP"));
    struct Case {
        int quality;
        const char* ending;
    };
    for (const Case& c : {Case{5, "_005.JPG"}, Case{75, "_075.JPG"}, Case{90, "_090.JPG"}, Case{100, "_100.JPG"}}) {
        SCOPED_TRACE(c.quality);
        options.JpegQuality = c.quality;
        ASSERT_TRUE(ConvertBmpToJpeg(options, src, path(QStringLiteral("Image0003"))));
        const QString ours = path(QStringLiteral("Image0003") + QLatin1String(c.ending));
        ASSERT_TRUE(QFile::exists(ours));
        const QString ref = path(QStringLiteral("ref.jpg"));
        QString why;
        ASSERT_TRUE(runTool("cjpeg", {QStringLiteral("-quality"), QString::number(c.quality), QStringLiteral("-outfile"), ref, src}, &why))
            << why.toStdString();
        const QImage a = decodedPixels(ours), b = decodedPixels(ref);
        ASSERT_FALSE(a.isNull());
        EXPECT_EQ(a.size(), QSize(301, 203));
        EXPECT_TRUE(a == b);
    }
}

TEST_F(JpegTest, JpegToBmpGivesDjpegsPixels)
{
    for (const QSize size : {QSize(301, 203), QSize(64, 48)}) {
        const QString src = path(QStringLiteral("a.jpg"));
        ASSERT_TRUE(encodeJpeg(noisyFrame(size.width(), size.height()), 85, src).ok);
        ASSERT_TRUE(ConvertJpegToBmp(options, src, path(QStringLiteral("a"))));
        const QString ours = path(QStringLiteral("a.BMP"));
        const QString ref = path(QStringLiteral("ref.bmp"));
        QString why;
        ASSERT_TRUE(runTool("djpeg", {QStringLiteral("-bmp"), QStringLiteral("-outfile"), ref, src}, &why)) << why.toStdString();
        const QByteArray bytes = readAll(ours);
        ASSERT_GE(bytes.size(), 54);
        EXPECT_EQ(bytes.left(2), QByteArray("BM"));
        EXPECT_EQ(uchar(bytes[28]), 24);  // bits per pixel
        const QImage a(ours, "BMP"), b(ref, "BMP");
        ASSERT_EQ(a.size(), size);
        EXPECT_TRUE(a.convertToFormat(QImage::Format_RGB888) == b.convertToFormat(QImage::Format_RGB888));
        // The pixel data of a 24-bit bitmap is exactly what djpeg writes after its header.
        const QByteArray refBytes = readAll(ref);
        const int ourOffset = qFromLittleEndian<quint32>(bytes.constData() + 10);
        const int refOffset = qFromLittleEndian<quint32>(refBytes.constData() + 10);
        EXPECT_TRUE(bytes.mid(ourOffset) == refBytes.mid(refOffset));
    }
}

TEST_F(JpegTest, OutputNames)
{
    const QString src = path(QStringLiteral("n.bmp"));
    ASSERT_TRUE(writeTestImage(src, 8, 8));
    struct Case {
        int quality;
        const char* name;
    };
    // A quality outside 0..100 (a damaged settings file) is encoded and named as its nearest bound.
    for (const Case& c : {Case{0, "n_000.JPG"}, Case{100, "n_100.JPG"}, Case{250, "n_100.JPG"}, Case{-3, "n_000.JPG"}}) {
        QFile::remove(path(QLatin1String(c.name)));
        options.JpegQuality = c.quality;
        ASSERT_TRUE(ConvertBmpToJpeg(options, src, path(QStringLiteral("n"))));
        EXPECT_TRUE(QFile::exists(path(QLatin1String(c.name)))) << c.name;
    }
    EXPECT_EQ(jpegOutputPath(QStringLiteral("/OUT/Image0003"), 90), QStringLiteral("/OUT/Image0003_090.JPG"));
}

TEST_F(JpegTest, FailuresGiveTheirReason)
{
    const QString badBmp = path(QStringLiteral("bad.bmp"));
    const QString badJpeg = path(QStringLiteral("bad.jpg"));
    ASSERT_TRUE(writeAll(badBmp, QByteArray(100, 'x')));
    QByteArray jpeg;
    ASSERT_TRUE(encodeJpegToBytes(noisyFrame(64, 64), 90, jpeg).ok);
    ASSERT_TRUE(writeAll(badJpeg, jpeg.left(jpeg.size() / 2)));
    ASSERT_TRUE(writeAll(path(QStringLiteral("notjpeg.jpg")), QByteArray("plain text")));
    struct Case {
        Converter convert;
        QString source;
        QString base;
        QString message;  // a prefix for the JPEG library's numbered errors
    };
    const Case cases[] = {
        {ConvertBmpToJpeg, badBmp, path(QStringLiteral("o1")), QStringLiteral("Image bitmap incorrecte")},
        {ConvertBmpToJpeg, path(QStringLiteral("missing.bmp")), path(QStringLiteral("o2")), QStringLiteral("Fichier introuvable")},
        {ConvertJpegToBmp, badJpeg, path(QStringLiteral("o3")), QStringLiteral("Image JPEG incorrecte (JPEG error #")},
        {ConvertJpegToBmp, path(QStringLiteral("notjpeg.jpg")), path(QStringLiteral("o4")), QStringLiteral("Image JPEG incorrecte (JPEG error #")},
        {ConvertBmpToJpeg, dir.path(), path(QStringLiteral("o5")), QString::fromUtf8("C'est un répertoire")},
    };
    for (const Case& c : cases) {
        try {
            c.convert(options, c.source, c.base);
            ADD_FAILURE() << "no error for " << c.source.toStdString();
        } catch (const ProgramError& e) {
            EXPECT_TRUE(e.text().startsWith(c.message)) << e.text().toStdString();
        }
    }
    // An output directory that does not exist.
    const QString good = path(QStringLiteral("good.bmp"));
    ASSERT_TRUE(writeTestImage(good, 8, 8));
    try {
        ConvertBmpToJpeg(options, good, path(QStringLiteral("none/x")));
        ADD_FAILURE() << "no error for a missing directory";
    } catch (const ProgramError& e) {
        EXPECT_EQ(e.text(), QStringLiteral("Fichier introuvable"));
    }
}

TEST_F(JpegTest, NeverReplacesItsOwnSource)
{
    // A JPEG named x.BMP, converted to BMP without renaming, would be written over itself.
    const QString src = path(QStringLiteral("x.BMP"));
    ASSERT_TRUE(encodeJpeg(noisyFrame(16, 16), 90, src).ok);
    const QByteArray before = readAll(src);
    EXPECT_THROW(ConvertJpegToBmp(options, src, path(QStringLiteral("x"))), ProgramError);
    EXPECT_EQ(readAll(src), before);
    // Same through another name of the same file.
    ASSERT_TRUE(QFile::link(src, path(QStringLiteral("y.BMP"))));
    EXPECT_THROW(ConvertJpegToBmp(options, src, path(QStringLiteral("y"))), ProgramError);
    EXPECT_EQ(readAll(src), before);
}

TEST_F(JpegTest, VisuShowsTheWrittenFileAndPauses)
{
    const QString src = path(QStringLiteral("v.bmp"));
    ASSERT_TRUE(writeTestImage(src, 8, 8));
    QStringList shown;
    conversionDisplay().showImage = [&](const QString& p) {
        shown << p;
        return true;
    };
    options.ShowConverted = true;
    options.SlideInterval = 250;  // two steps of 100 ms
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(ConvertBmpToJpeg(options, src, path(QStringLiteral("v"))));
    EXPECT_GE(t.elapsed(), 200);
    EXPECT_EQ(shown, QStringList{path(QStringLiteral("v_100.JPG"))});

    // A picture the slideshow cannot read ends the run; its box was shown by the slideshow.
    conversionDisplay().showImage = [](const QString&) { return false; };
    options.SlideInterval = 0;
    EXPECT_THROW(ConvertBmpToJpeg(options, src, path(QStringLiteral("v"))), SilentAbort);

    // Without "Visu" nothing is shown; JPEG to BMP never shows.
    shown.clear();
    conversionDisplay().showImage = [&](const QString& p) {
        shown << p;
        return true;
    };
    options.ShowConverted = false;
    ASSERT_TRUE(ConvertBmpToJpeg(options, src, path(QStringLiteral("w"))));
    options.ShowConverted = true;
    ASSERT_TRUE(ConvertJpegToBmp(options, path(QStringLiteral("w_100.JPG")), path(QStringLiteral("w"))));
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(JpegTest, PauseLetsEventsThroughAndWaitsItsTime)
{
    bool ran = false;
    QTimer::singleShot(20, [&] { ran = true; });
    QElapsedTimer t;
    t.start();
    Pause(2);
    EXPECT_GE(t.elapsed(), 200);
    EXPECT_TRUE(ran);
}

}  // namespace

namespace {

// A 24-bit bitmap laid out by hand, so that top-down files and odd header offsets are covered too.
QByteArray handBitmap(const QImage& rgb, bool topDown, int offBits)
{
    const int w = rgb.width(), h = rgb.height();
    const int stride = (w * 3 + 3) & ~3;
    const int dataStart = std::max(offBits, 54);
    QByteArray b(dataStart + stride * h, '\0');
    char* d = b.data();
    d[0] = 'B';
    d[1] = 'M';
    qToLittleEndian<quint32>(quint32(b.size()), d + 2);
    qToLittleEndian<quint32>(quint32(offBits), d + 10);
    qToLittleEndian<quint32>(40, d + 14);
    qToLittleEndian<qint32>(w, d + 18);
    qToLittleEndian<qint32>(topDown ? -h : h, d + 22);
    qToLittleEndian<quint16>(1, d + 26);
    qToLittleEndian<quint16>(24, d + 28);
    for (int y = 0; y < h; ++y) {
        uchar* row = reinterpret_cast<uchar*>(d + dataStart + stride * (topDown ? y : h - 1 - y));
        for (int x = 0; x < w; ++x) {
            const QColor c = rgb.pixelColor(x, y);
            row[3 * x] = uchar(c.blue());
            row[3 * x + 1] = uchar(c.green());
            row[3 * x + 2] = uchar(c.red());
        }
    }
    return b;
}

TEST(BitmapReading, PlainBitmapsReadLikeThePictureModule)
{
    const QImage frame = noisyFrame(13, 7);
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    QImage indexed = frame.convertToFormat(QImage::Format_Indexed8);
    QByteArray palette;
    {
        QBuffer buf(&palette);
        buf.open(QIODevice::WriteOnly);
        ASSERT_TRUE(indexed.save(&buf, "BMP"));
    }
    const Case cases[] = {
        {"bottom-up", handBitmap(frame, false, 54)},
        {"top-down", handBitmap(frame, true, 54)},
        {"offset beyond the headers", handBitmap(frame, false, 80)},
        {"offset inside the headers", handBitmap(frame, false, 20)},
        {"8-bit palette", palette},
    };
    for (const Case& c : cases) {
        const PictureResult qt = loadPictureFromBytes(c.bytes, PictureKind::Bitmap);
        ASSERT_TRUE(qt.ok()) << c.what << " " << qt.errorText.toStdString();
        const QImage ours = decodeBitmap24(c.bytes);
        EXPECT_EQ(ours.format(), QImage::Format_RGB888);
        EXPECT_TRUE(ours == qt.image.convertToFormat(QImage::Format_RGB888)) << c.what;
        // And the JPEG made from it is the one made from the decoded picture.
        QByteArray fromPicture;
        ASSERT_TRUE(encodeJpegToBytes(qt.image, 75, fromPicture).ok);
        EXPECT_TRUE(decodeJpeg(bmpToJpegBytes(c.bytes, 75)).image == decodeJpeg(fromPicture).image) << c.what;
    }
    // A file cut short inside the pixels is refused, not read past its end.
    const QByteArray whole = handBitmap(frame, false, 54);
    EXPECT_THROW(decodeBitmap24(whole.chopped(5)), ProgramError);
    EXPECT_THROW(bmpToJpegBytes(whole.chopped(5), 75), ProgramError);
}

}  // namespace
