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

QByteArray expectedHeader(int bitpix, int w, int h, const std::string& origin)
{
    std::string head = card("SIMPLE", "T") + card("BITPIX", std::to_string(bitpix)) + card("NAXIS", "2")
                       + card("NAXIS1", std::to_string(w)) + card("NAXIS2", std::to_string(h))
                       + textCard("ORIGIN  = " + origin) + textCard("COMMENT = Cr\xE9\xE9 par Velmoran/KOLP-@")
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
        const QByteArray expected = expectedFile(c.bytes, c.w, c.h, "frame0001.bmp",
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
        const QByteArray expected = expectedFile(bytes, 3, 1, "w.bmp", [&](int x, int) { return c.samples[x]; });
        EXPECT_TRUE(readAll(path(QStringLiteral("w_G.FIT"))) == expected) << c.weights.red << " at " << c.bytes;
    }
}

TEST_F(FitsTest, OriginIsTheNameCutTo70Characters)
{
    const QString longName = QString(75, QLatin1Char('n')) + QStringLiteral(".bmp");
    const QString src = solidBmp(longName, 1, 1, Qt::gray);
    options.FitChannels = 1;
    ASSERT_TRUE(ConvertBmpToFits(options, src, path(QStringLiteral("o"))));
    const QByteArray f = readAll(path(QStringLiteral("o_R.FIT")));
    EXPECT_EQ(f.mid(400, 80), QByteArray("ORIGIN  = ") + QByteArray(70, 'n'));
    // A name outside Latin-1 is cut by bytes and never spills onto the next card.
    const QByteArray h = fitsHeader(1, 1, 1, QString(40, QChar(0x263A)));
    EXPECT_EQ(h.mid(480, 10), QByteArray("COMMENT = "));
}

TEST_F(FitsTest, ChannelsChosenAndWhereTheRunStops)
{
    const QString src = solidBmp(QStringLiteral("s.bmp"), 4, 4, QColor(1, 2, 3));
    const QString base = path(QStringLiteral("s"));

    options.FitChannels = 0;  // nothing to write still counts as converted
    EXPECT_TRUE(ConvertBmpToFits(options, src, base));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);

    // Files go in the order red, green, blue, grey: a blue file that cannot be created stops the
    // run silently after red and green.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("s_B.FIT")));
    options.FitChannels = 15;
    EXPECT_THROW(ConvertBmpToFits(options, src, base), SilentAbort);
    EXPECT_EQ(uchar(readAll(base + QStringLiteral("_R.FIT"))[2880]), 1);
    EXPECT_EQ(uchar(readAll(base + QStringLiteral("_V.FIT"))[2880]), 2);
    EXPECT_FALSE(QFile::exists(base + QStringLiteral("_G.FIT")));

    // A target directory that does not exist stops the run silently too.
    EXPECT_THROW(ConvertBmpToFits(options, src, path(QStringLiteral("none/s"))), SilentAbort);
}

TEST_F(FitsTest, SourceFailuresEndTheRunWithTheirMessage)
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
    EXPECT_FALSE(ConvertBmpToFits(options, src, path(QStringLiteral("t"))));
    EXPECT_EQ(readAll(src), before);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("t_R.FIT"))));
}

// fitsverify reports on our file exactly what the program's own header brings (the ORIGIN value
// has no quotes, the comment holds "é" as a Latin-1 byte) and nothing else.
QStringList fitsverifyFindings(const QString& file, QString* summary)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("fitsverify"));
    if (tool.isEmpty())
        return {QStringLiteral("fitsverify not installed")};
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(tool, {file});
    if (!p.waitForFinished(30000))
        return {QStringLiteral("fitsverify did not finish")};
    const QString out = QString::fromLocal8Bit(p.readAll());
    QStringList findings;
    for (const QString& line : out.split(QLatin1Char('\n')))
        if (line.contains(QLatin1String("*** Error")) || line.contains(QLatin1String("*** Warning")))
            findings << line.trimmed();
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("found (\\d+) warning\\(s\\) and (\\d+) error\\(s\\)")).match(out);
    *summary = m.hasMatch() ? m.captured(0) : out;
    return findings;
}

bool causedByOurHeader(const QString& finding)
{
    return finding.contains(QLatin1String("Keyword #6, ORIGIN: Type of value \"frame0001.bmp\" is unknown"))
           || finding.contains(QLatin1String("Keyword #6, ORIGIN: \"frame0001.bmp\" is not a string"))
           || finding.contains(QLatin1String("Keyword #7, COMMENT: String contains non-text characters"));
}

TEST_F(FitsTest, FitsverifyFindsOnlyWhatTheHeaderBrings)
{
    const QString src = path(QStringLiteral("frame0001.bmp"));
    ASSERT_TRUE(patterned(37, 23).save(src, "BMP"));
    for (int bytes : {1, 2, 4}) {
        options.FitBytesPerPixel = bytes;
        options.FitChannels = 8;
        ASSERT_TRUE(ConvertBmpToFits(options, src, path(QStringLiteral("v"))));
        QString summary;
        const QStringList findings = fitsverifyFindings(path(QStringLiteral("v_G.FIT")), &summary);
        EXPECT_EQ(findings.size(), 3) << findings.join('\n').toStdString();
        for (const QString& f : findings)
            EXPECT_TRUE(causedByOurHeader(f)) << f.toStdString();
        EXPECT_EQ(summary, QStringLiteral("found 0 warning(s) and 3 error(s)"));

        // The check sees other faults: the same file one block short.
        const QString cut = path(QStringLiteral("cut.FIT"));
        ASSERT_TRUE(writeAll(cut, readAll(path(QStringLiteral("v_G.FIT"))).chopped(2880)));
        const QStringList cutFindings = fitsverifyFindings(cut, &summary);
        EXPECT_FALSE(std::all_of(cutFindings.begin(), cutFindings.end(), causedByOurHeader) && cutFindings.size() == 3)
            << cutFindings.join('\n').toStdString();
    }
}

}  // namespace
