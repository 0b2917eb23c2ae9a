// The slideshow window: loading pictures, what is painted, full screen and the mouse.
#include "DialogsFixture.h"
#include "TestFiles.h"
#include "app/Ucommande.h"
#include "settings/Options.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>

namespace {

using DiapoTest = DialogsTest;

// A BMP whose header claims 100000 × 100000 pixels at 24 bits, followed by a few bytes only.
QByteArray hugeBmp()
{
    QByteArray b(54 + 16, '\0');
    auto u16 = [&](int off, uint16_t v) { b[off] = char(v & 0xFF); b[off + 1] = char(v >> 8); };
    auto u32 = [&](int off, uint32_t v) { for (int i = 0; i < 4; ++i) b[off + i] = char(v >> (8 * i)); };
    b[0] = 'B';
    b[1] = 'M';
    u32(2, uint32_t(b.size()));
    u32(10, 54);
    u32(14, 40);
    u32(18, 100000);
    u32(22, 100000);
    u16(26, 1);
    u16(28, 24);
    return b;
}

// A width × height picture: border pixels wide of one colour around an interior of another, split
// into a left and a right half when right is given.
bool writePicture(const QString& path, QSize size, QColor interior, QColor border = {}, int borderWidth = 0,
                  QColor right = {})
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(border.isValid() ? border : interior);
    QPainter p(&img);
    const QRect inner = img.rect().adjusted(borderWidth, borderWidth, -borderWidth, -borderWidth);
    p.fillRect(inner, interior);
    if (right.isValid())
        p.fillRect(QRect(inner.center().x() + 1, inner.top(), inner.width() / 2, inner.height()), right);
    p.end();
    return img.save(path, "BMP");
}

QColor pixel(const QImage& img, int x, int y) { return img.pixelColor(x, y).toRgb(); }

// A picture that cannot be decoded leaves only the background: the frame before it must not stay on
// screen as if it were the one named in the caption.
TEST_F(DiapoTest, AFileThatCannotBeDecodedShowsTheBackgroundAndItsCaption)
{
    diapo->show();
    const QString bmp = path("a.bmp"), jpg = path("b.JPG");
    ASSERT_TRUE(writeTestImage(bmp, 64, 48));
    ASSERT_TRUE(writeTestImage(jpg, 80, 60));

    EXPECT_TRUE(review().ShowImage(bmp));
    EXPECT_EQ(diapo->windowTitle(), bmp);
    EXPECT_EQ(diapo->Picture().size(), QSize(64, 48));
    EXPECT_TRUE(review().ShowImage(jpg));
    EXPECT_EQ(diapo->windowTitle(), jpg);
    ASSERT_EQ(diapo->Picture().size(), QSize(80, 60));

    const QByteArray jpegBytes = readAll(jpg), bmpBytes = readAll(bmp);
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"truncated.jpg", jpegBytes.left(jpegBytes.size() / 2)},
        {"half.bmp", bmpBytes.left(bmpBytes.size() / 2)},
        {"empty.bmp", QByteArray()},
        {"texte.bmp", "Ceci n'est pas une image.\r\n"},
        {"huge.bmp", hugeBmp()},
        {"notes.txt", bmpBytes},  // a good picture under an extension that is no picture format
        {"garbage.jpeg", QByteArray("\xFF\xD8\xFF\xE0 not a JPEG at all")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString p = path(QString::fromLatin1(c.name));
        ASSERT_TRUE(writeAll(p, c.bytes));
        ASSERT_TRUE(review().ShowImage(jpg));
        EXPECT_TRUE(review().ShowImage(p));
        EXPECT_EQ(diapo->windowTitle(), QStringLiteral("Impossible de Charger: ") + p);
        EXPECT_TRUE(diapo->Picture().isNull());
        EXPECT_EQ(pixel(diapo->grab().toImage(), diapo->width() / 2, diapo->height() / 2), diapo->BackgroundColor());
    }
    EXPECT_TRUE(sp.shown().empty()) << "an undecodable picture shows no box";
}

TEST_F(DiapoTest, AFileThatCannotBeReadShowsTheErrorBoxAndStopsTheCaller)
{
    diapo->show();
    const QString bmp = path("a.bmp");
    ASSERT_TRUE(writeTestImage(bmp, 32, 32));

    ASSERT_TRUE(QDir().mkdir(path("dossier.bmp")));
    for (const QString& p : {path("absent.bmp"), path("dossier.bmp")}) {
        SCOPED_TRACE(p.toStdString());
        sp.clear();
        ASSERT_TRUE(review().ShowImage(bmp));
        EXPECT_FALSE(review().ShowImage(p));
        EXPECT_EQ(diapo->windowTitle(), p);
        EXPECT_TRUE(diapo->Picture().isNull());
        ASSERT_EQ(sp.shown().size(), 1u);
        EXPECT_EQ(sp.shown()[0].kind, ScriptedPrompts::Kind::Error);
        EXPECT_TRUE(sp.shown()[0].text.startsWith(QString::fromUtf8("Impossible d'ouvrir le fichier \"") + p))
            << sp.shown()[0].text.toStdString();
    }
}

TEST_F(DiapoTest, PaintsCentredAtNaturalSizeOrStretchedOverTheWindow)
{
    const QColor red(255, 0, 0), blue(0, 0, 255), green(0, 255, 0);
    const QColor background(0x40, 0x80, 0xC0);  // SlideBackground 0x00C08040: the low byte is red
    const QString small = path("small.bmp"), large = path("large.bmp"), halves = path("halves.bmp");
    ASSERT_TRUE(writePicture(small, {40, 30}, red));
    ASSERT_TRUE(writePicture(large, {400, 300}, blue, green, 20));
    ASSERT_TRUE(writePicture(halves, {40, 30}, red, {}, 0, blue));

    const struct {
        const char* name;
        QString file;
        QSize window;
        int position;
        QPoint at;
        QColor expected;
    } cases[] = {
        // Small picture centred: background around it, picture from (80,60) to (119,89).
        {"centred corner", small, {200, 150}, 0, {2, 2}, background},
        {"centred middle", small, {200, 150}, 0, {100, 75}, red},
        {"centred first pixel", small, {200, 150}, 0, {80, 60}, red},
        {"centred left of it", small, {200, 150}, 0, {79, 60}, background},
        {"centred below it", small, {200, 150}, 0, {119, 90}, background},
        {"adapted corner", small, {200, 150}, 1, {0, 0}, red},
        {"adapted far corner", small, {200, 150}, 1, {199, 149}, red},
        // Large picture: centred is cut at the edges (its border lies outside), adapted shows it.
        {"large centred corner", large, {200, 150}, 0, {0, 0}, blue},
        {"large centred far corner", large, {200, 150}, 0, {199, 149}, blue},
        {"large adapted corner", large, {200, 150}, 1, {0, 0}, green},
        {"large adapted middle", large, {200, 150}, 1, {100, 75}, blue},
        // Adapted keeps no aspect ratio: the halves stretch over a wide window.
        {"wide adapted left", halves, {300, 60}, 1, {10, 30}, red},
        {"wide adapted right", halves, {300, 60}, 1, {290, 30}, blue},
        {"wide centred", halves, {300, 60}, 0, {10, 30}, background},
    };
    programOptions().SlideBackground = 0x00C08040;
    diapo->show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        diapo->resize(c.window);
        programOptions().SlidePosition = c.position;
        ASSERT_TRUE(review().ShowImage(c.file));
        const QImage g = diapo->grab().toImage();
        ASSERT_EQ(g.size(), c.window);
        EXPECT_EQ(pixel(g, c.at.x(), c.at.y()), c.expected);
    }
}

TEST_F(DiapoTest, BackgroundColourFollowsTheSettingsFileEncoding)
{
    const QColor window = QGuiApplication::palette().color(QPalette::Window);
    const struct {
        uint32_t value;
        QColor colour;
    } cases[] = {
        {0x000000FFu, QColor(255, 0, 0)},
        {0x0000FF00u, QColor(0, 255, 0)},
        {0x00FF0000u, QColor(0, 0, 255)},
        {0x00C08040u, QColor(0x40, 0x80, 0xC0)},
        {0x80000001u, window},  // the desktop background system colour
        {0x8000000Fu, window},  // any other system colour
    };
    diapo->show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(colorFromOptionValue(c.value), c.colour);
        programOptions().SlideBackground = c.value;
        diapo->ResetBackground();
        EXPECT_EQ(pixel(diapo->grab().toImage(), 5, 5), c.colour);
        if (!(c.value & 0x80000000u)) {
            EXPECT_EQ(optionValueFromColor(c.colour), c.value);
        }
    }
}

TEST_F(DiapoTest, DoubleClickSwitchesFullScreenAndRightClickTogglesTheCommandWindow)
{
    TFormCommande& commande = *this->commande;
    QWidget other;
    other.show();
    commande.show();
    diapo->show();

    QTest::mouseClick(diapo, Qt::RightButton);
    EXPECT_FALSE(commande.isVisible());
    QTest::mouseClick(diapo, Qt::RightButton);
    EXPECT_TRUE(commande.isVisible());

    QTest::mouseDClick(diapo, Qt::LeftButton);
    EXPECT_TRUE(diapo->isFullScreen());
    EXPECT_TRUE(diapo->isVisible());
    EXPECT_TRUE(diapo->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(other.isVisible());
    EXPECT_FALSE(commande.isVisible());

    // In full screen the right button brings the command window back over the slideshow.
    QTest::mouseClick(diapo, Qt::RightButton);
    EXPECT_TRUE(commande.isVisible());
    EXPECT_TRUE(diapo->isFullScreen());

    QTest::mouseDClick(diapo, Qt::LeftButton);
    EXPECT_FALSE(diapo->isFullScreen());
    EXPECT_FALSE(diapo->isMaximized());
    EXPECT_FALSE(diapo->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(diapo->isVisible());
}

}  // namespace
