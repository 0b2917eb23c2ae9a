// FITS files from BMP pictures: whole files compared with byte images laid out here from the
// format (cards, columns, bottom row first, big-endian samples, padding), and checked by fitsverify.
#include "ConvertFixture.h"
#include "convert/FitsWriter.h"
#include "platform/ProgramError.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <functional>
#include <string>

namespace {

using FitsTest = ConvertTest;

// One 80-byte card: `text` from column 1, or, when `value` is given, the keyword, "=" in column
// 9 and the value ending in column 30.
std::string card(const std::string& keyword, const std::string& value)
{
    std::string c(80, ' ');
    c.replace(0, keyword.size(), keyword);
    c[8] = '=';
    c.replace(30 - value.size(), value.size(), value);
    return c;
}
std::string textCard(const std::string& text)
{
    std::string c(80, ' ');
    c.replace(0, text.size(), text);
    return c;
}

// origin: the ORIGIN card's value as written, quotes included.
QByteArray expectedHeader(int bitpix, int w, int h, const std::string& origin)
{
    std::string head = card("SIMPLE", "T") + card("BITPIX", std::to_string(bitpix)) + card("NAXIS", "2")
                       + card("NAXIS1", std::to_string(w)) + card("NAXIS2", std::to_string(h))
                       + textCard("ORIGIN  = " + origin) + textCard("COMMENT = Cree par Velmoran/KOLP-@")
                       + textCard("END");
    head.resize(2880, ' ');
    return QByteArray(head.data(), qsizetype(head.size()));
}

// The expected file for a picture whose channel value at (x, y) is value(x, y).
QByteArray expectedFile(int bytes, int w, int h, const std::string& origin, const std::function<int(int, int)>& value)
{
    QByteArray f = expectedHeader(8 * bytes, w, h, origin);
    QByteArray data;
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) {
            data.append(QByteArray(bytes - 1, '\0'));
            data.append(char(value(x, y)));
        }
    while (data.size() % 2880)
        data.append('\0');
    return f + data;
}

// A picture whose red, green and blue vary with the position, so that every sample differs from
// its neighbours and from the other channels.
QImage patterned(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixelColor(x, y, QColor((x * 7 + y * 13) % 256, (x * 3 + 100) % 256, (y * 11 + 50) % 256));
    return img;
}

TEST_F(FitsTest, WholeFilesMatchTheLayout)
{
    struct Case {
        int w, h, bytes;
        const char* suffix;
        qsizetype fileSize;
        std::function<int(const QColor&)> channel;
    };
    const auto red = [](const QColor& c) { return c.red(); };
    const auto green = [](const QColor& c) { return c.green(); };
    const auto blue = [](const QColor& c) { return c.blue(); };
    const Case cases[] = {
        {3, 2, 1, "_R.FIT", 5760, red},
        {3, 2, 2, "_V.FIT", 5760, green},
        {32, 30, 4, "_B.FIT", 8640, blue},
        {640, 480, 2, "_R.FIT", 2880 + 214 * 2880, red},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1x%2 at %3 bytes").arg(c.w).arg(c.h).arg(c.bytes).toStdString());
        const QImage img = patterned(c.w, c.h);
        const QString src = path(QStringLiteral("frame0001.bmp"));
        ASSERT_TRUE(img.save(src, "BMP"));
        options.FitBytesPerPixel = c.bytes;
        options.FitChannels = 1 | 2 | 4;
        const QString base = path(QStringLiteral("Image0001"));
        ASSERT_TRUE(ConvertBmpToFits(options, src, base));
        const QByteArray written = readAll(base + QLatin1String(c.suffix));
        EXPECT_EQ(written.size(), c.fileSize);
        const QByteArray expected = expectedFile(c.bytes, c.w, c.h, "'frame0001.bmp'",
                                                 [&](int x, int y) { return c.channel(img.pixelColor(x, y)); });
        EXPECT_TRUE(written == expected);
        EXPECT_FALSE(QFile::exists(base + QStringLiteral("_G.FIT")));
    }
}

TEST_F(FitsTest, CardsOfA640x480FrameAt16Bits)
{
    const QByteArray h = fitsHeader(2, 640, 480, QStringLiteral("f.bmp"));
    ASSERT_EQ(h.size(), 2880);
    EXPECT_EQ(h.mid(80, 30), QByteArray("BITPIX  =                   16"));
    EXPECT_EQ(h.mid(240 + 27, 3), QByteArray("640"));
    EXPECT_EQ(h.mid(320 + 27, 3), QByteArray("480"));
    EXPECT_EQ(fitsDataSize(640, 480, 2), 214 * 2880);
}

TEST_F(FitsTest, FirstSampleIsTheBottomLeftPixel)
{
    QImage img(2, 2, QImage::Format_RGB888);
    img.setPixelColor(0, 0, QColor(10, 0, 0));
    img.setPixelColor(1, 0, QColor(20, 0, 0));
    img.setPixelColor(0, 1, QColor(30, 0, 0));
    img.setPixelColor(1, 1, QColor(40, 0, 0));
    const QString src = path(QStringLiteral("p.bmp"));
    ASSERT_TRUE(img.save(src, "BMP"));
    options.FitChannels = 1;
    options.FitBytesPerPixel = 4;
    ASSERT_TRUE(ConvertBmpToFits(options, src, path(QStringLiteral("p"))));
    const QByteArray f = readAll(path(QStringLiteral("p_R.FIT")));
    EXPECT_EQ(f.mid(2880, 16), QByteArray::fromHex("0000001e000000280000000a00000014"));
}

TEST_F(FitsTest, GreyFileUsesTheWeightsOfTheOptions)
{
    QImage img(3, 1, QImage::Format_RGB888);
    img.setPixelColor(0, 0, Qt::red);
    img.setPixelColor(1, 0, Qt::white);
    img.setPixelColor(2, 0, QColor(100, 200, 40));
    const QString src = path(QStringLiteral("w.bmp"));
    ASSERT_TRUE(img.save(src, "BMP"));
    struct Case {
        ColourWeights weights;
        int bytes;  // as stored; anything but 2 or 4 writes 8 bits
        int samples[3];
    };
    const Case cases[] = {
        {{77, 151, 28}, 1, {76, 255, (100 * 77 + 200 * 151 + 40 * 28) / 256}},
        {{100, 100, 56}, 2, {99, 255, (100 * 100 + 200 * 100 + 40 * 56) / 256}},
        {{100000, 0, 0}, 3, {255, 255, 255}},  // a damaged settings file stays within a byte
        {{0, 0, 0}, 0, {0, 0, 0}},
    };
    options.FitChannels = 8;
    for (const Case& c : cases) {
        storeWeights(options, c.weights);
        options.FitBytesPerPixel = c.bytes;
        ASSERT_TRUE(ConvertBmpToFits(options, src, path(QStringLiteral("w"))));
        const int bytes = c.bytes == 2 ? 2 : 1;
        const QByteArray expected = expectedFile(bytes, 3, 1, "'w.bmp   '", [&](int x, int) { return c.samples[x]; });
        EXPECT_TRUE(readAll(path(QStringLiteral("w_G.FIT"))) == expected) << c.weights.red << " at " << c.bytes;
    }
}

TEST_F(FitsTest, OriginIsTheNameAsAQuotedAsciiString)
{
    struct Case {
        QString name;
        QByteArray card;  // the ORIGIN card without its trailing blanks
    };
    const Case cases[] = {
        {QStringLiteral("frame0001.bmp"), "ORIGIN  = 'frame0001.bmp'"},
        {QStringLiteral("a.bmp"), "ORIGIN  = 'a.bmp   '"},  // short strings take 8 characters
        {QString(75, QLatin1Char('n')) + QStringLiteral(".bmp"), "ORIGIN  = '" + QByteArray(68, 'n') + "'"},
        {QString::fromUtf8("l'été.bmp"), "ORIGIN  = 'l''ete.bmp'"},
        {QString::fromUtf8("Lune ☺ 😀.bmp"), "ORIGIN  = 'Lune _ _.bmp'"},
        // A doubled quote is never cut in half at the end of the card.
        {QString(67, QLatin1Char('q')) + QStringLiteral("'x"), "ORIGIN  = '" + QByteArray(67, 'q') + "'"},
        {QString(40, QChar(0x263A)), "ORIGIN  = '" + QByteArray(40, '_') + "'"},
    };
    for (const Case& c : cases) {
        const QByteArray h = fitsHeader(1, 1, 1, c.name);
        EXPECT_EQ(h.mid(400, 80), c.card.leftJustified(80, ' ')) << c.name.toStdString();
        EXPECT_EQ(h.mid(480, 80), QByteArray("COMMENT = Cree par Velmoran/KOLP-@").leftJustified(80, ' '));
    }
}

TEST_F(FitsTest, ChannelsChosenAndWhereTheRunStops)
{
    const QString src = solidBmp(QStringLiteral("s.bmp"), 4, 4, QColor(1, 2, 3));
    const QString base = path(QStringLiteral("s"));

    options.FitChannels = 0;  // nothing to write
    EXPECT_TRUE(ConvertBmpToFits(options, src, base));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);

    // Files go in the order red, green, blue, grey: a blue file that cannot be created fails the
    // source, with its reason, after red and green.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("s_B.FIT")));
    options.FitChannels = 15;
    const auto reasonOf = [&](const QString& outputBase) {
        try {
            ConvertBmpToFits(options, src, outputBase);
        } catch (const ProgramError& e) {
            return e.text();
        }
        return QString();
    };
    EXPECT_EQ(reasonOf(base), QString::fromUtf8("C'est un répertoire"));
    EXPECT_EQ(uchar(readAll(base + QStringLiteral("_R.FIT"))[2880]), 1);
    EXPECT_EQ(uchar(readAll(base + QStringLiteral("_V.FIT"))[2880]), 2);
    EXPECT_FALSE(QFile::exists(base + QStringLiteral("_G.FIT")));

    // A target directory that does not exist.
    EXPECT_EQ(reasonOf(path(QStringLiteral("none/s"))), QStringLiteral("Fichier introuvable"));
}

TEST_F(FitsTest, SourceFailuresGiveTheirReason)
{
    ASSERT_TRUE(writeAll(path(QStringLiteral("bad.bmp")), QByteArray("BMnot a bitmap at all")));
    struct Case {
        QString source;
        QString message;
    };
    const Case cases[] = {
        {path(QStringLiteral("bad.bmp")), QStringLiteral("Image bitmap incorrecte")},
        {path(QStringLiteral("missing.bmp")), QStringLiteral("Fichier introuvable")},
    };
    options.FitChannels = 15;
    for (const Case& c : cases) {
        try {
            ConvertBmpToFits(options, c.source, path(QStringLiteral("x")));
            ADD_FAILURE() << "no error for " << c.source.toStdString();
        } catch (const ProgramError& e) {
            EXPECT_EQ(e.text(), c.message);
        }
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("x_R.FIT"))));
    }
}

TEST_F(FitsTest, NeverReplacesItsOwnSource)
{
    // A bitmap that happens to carry a channel file's name.
    const QString src = solidBmp(QStringLiteral("t_G.FIT"), 2, 2, Qt::red);
    const QByteArray before = readAll(src);
    options.FitChannels = 15;
    EXPECT_THROW(ConvertBmpToFits(options, src, path(QStringLiteral("t"))), ProgramError);
    EXPECT_EQ(readAll(src), before);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("t_R.FIT"))));
}

// fitsverify's summary of a file ("found 0 warning(s) and 0 error(s)"), with each finding it lists.
QString fitsverifySummary(const QString& file, QStringList* findings)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("fitsverify"));
    if (tool.isEmpty())
        return QStringLiteral("fitsverify not installed");
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(tool, {file});
    if (!p.waitForFinished(10000))  // it can hang on a header that is not ASCII
        return QStringLiteral("fitsverify did not finish");
    const QString out = QString::fromLocal8Bit(p.readAll());
    for (const QString& line : out.split(QLatin1Char('\n')))
        if (line.contains(QLatin1String("*** Error")) || line.contains(QLatin1String("*** Warning")))
            *findings << line.trimmed();
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("found (\\d+) warning\\(s\\) and (\\d+) error\\(s\\)")).match(out);
    return m.hasMatch() ? m.captured(0) : out;
}

TEST_F(FitsTest, OtherProgramsReadTheFiles)
{
    const QImage img = patterned(37, 23);
    for (const QString& name : {QStringLiteral("frame0001.bmp"), QString::fromUtf8("l'été ☺.bmp"),
                                QString(80, QLatin1Char('n')) + QStringLiteral(".bmp")})
        for (int bytes : {1, 2, 4}) {
            SCOPED_TRACE(name.toStdString() + " at " + std::to_string(8 * bytes) + " bits");
            const QString src = path(name);
            ASSERT_TRUE(img.save(src, "BMP"));
            options.FitBytesPerPixel = bytes;
            options.FitChannels = 8;
            ASSERT_TRUE(ConvertBmpToFits(options, src, path(QStringLiteral("v"))));
            QStringList findings;
            EXPECT_EQ(fitsverifySummary(path(QStringLiteral("v_G.FIT")), &findings),
                      QStringLiteral("found 0 warning(s) and 0 error(s)"))
                << findings.join('\n').toStdString();
            QFile::remove(src);
        }

    // The check sees faults: the same file one block short.
    const QString cut = path(QStringLiteral("cut.FIT"));
    ASSERT_TRUE(writeAll(cut, readAll(path(QStringLiteral("v_G.FIT"))).chopped(2880)));
    QStringList findings;
    EXPECT_NE(fitsverifySummary(cut, &findings), QStringLiteral("found 0 warning(s) and 0 error(s)"));
}

}  // namespace
