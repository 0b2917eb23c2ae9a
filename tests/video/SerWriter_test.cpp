// Kept frames written into a new SER: SER frames byte for byte in capture order with their times,
// refused mixtures, and nothing left behind when refused or stopped.
#include "VideoFixture.h"

#include "TestFiles.h"
#include "platform/ProgramError.h"
#include "video/SerWriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

int32_t le32(const QByteArray& b, int at)
{
    return int32_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8 | uint8_t(b[at + 2]) << 16 | uint32_t(uint8_t(b[at + 3])) << 24);
}

SerWriteOptions withPictures()
{
    SerWriteOptions o;
    o.loadPicture = loadTestPicture;
    return o;
}

}  // namespace

TEST(SerWriter, CaptureOrderSortsEachVideoByFrameNumber)
{
    using F = SerFrameSource;
    const std::pair<std::vector<F>, std::vector<F>> cases[] = {
        // Every entry numbered: by video or name prefix, then number.
        {{{"/d/v.ser", 9}, {"/d/b_00003.bmp", 0}, {"/d/v.ser", 2}, {"/e/b_00001 (2).bmp", 0}},
         {{"/d/v.ser", 2}, {"/d/v.ser", 9}, {"/e/b_00001 (2).bmp", 0}, {"/d/b_00003.bmp", 0}}},
        // A name without a number: the list's order, each video's frames sorted in their places.
        {{{"/d/v.ser", 9}, {"/d/x.bmp", 0}, {"/d/v.ser", 2}, {"/d/w.avi", 5}, {"/d/w.avi", 1}},
         {{"/d/v.ser", 2}, {"/d/x.bmp", 0}, {"/d/v.ser", 9}, {"/d/w.avi", 1}, {"/d/w.avi", 5}}},
    };
    for (const auto& [listed, captured] : cases)
        EXPECT_EQ(captureOrder(listed), captured);
}

TEST(SerWriter, SerFramesAreCopiedAsTheyAreWithTheirTimes)
{
    struct Case {
        const char* name;
        int colorId, depth;
        bool bigEndian, trailer;
    };
    const Case cases[] = {
        {"8-bit mono", 0, 8, false, true},
        {"16-bit big-endian, written little-endian", 0, 16, true, true},
        {"12-bit Bayer RGGB", 8, 12, false, true},
        {"RGB without trailer", 100, 8, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir tmp;
        SerLayout s;
        s.colorId = c.colorId;
        s.depth = c.depth;
        s.bigEndian = c.bigEndian;
        s.trailer = c.trailer;
        if (c.depth > 8)
            s.sample = [](int f, int x, int y, int) { return unsigned(3000 + x * 40 + y * 300 + f * 7 + (x * y * 37) % 50); };
        const QByteArray in = serBytes(s);
        ASSERT_TRUE(writeAll(tmp.filePath("in.ser"), in));
        const QString source = tmp.filePath("in.ser"), out = tmp.filePath("kept.ser");
        const std::vector<SerFrameSource> listed = {{source, 9}, {source, 2}, {source, 7}, {source, 4}};
        const SerWriteResult r = writeSerFile(out, captureOrder(listed), {});
        EXPECT_EQ(r.frames, 4);

        const QByteArray ser = readAll(out);
        EXPECT_EQ(le32(ser, 18), c.colorId);
        EXPECT_EQ(le32(ser, 22), c.depth > 8 ? 1 : 0);
        EXPECT_EQ(le32(ser, 34), c.depth);
        EXPECT_EQ(le32(ser, 38), 4);
        const int kept[] = {2, 4, 7, 9};
        const int bytes = int(serFrame(in, s, 1).size());
        ASSERT_EQ(ser.size(), 178 + 4 * bytes + (c.trailer ? 4 * 8 : 0));
        QByteArray frames;
        for (int k = 0; k < 4; ++k) {
            QByteArray expected = serFrame(in, s, kept[k]);
            for (int i = 0; c.bigEndian && i < expected.size(); i += 2)
                std::swap(expected[i], expected[i + 1]);
            EXPECT_EQ(ser.mid(178 + k * bytes, bytes), expected) << "frame " << kept[k];
            if (c.trailer) {
                EXPECT_EQ(ser.mid(178 + 4 * bytes + 8 * k, 8), in.right((s.frames - kept[k] + 1) * 8).left(8));
            }
            frames += expected;
        }
        if (c.colorId == 0 && c.depth == 8) {  // what another reader makes of it
            const std::optional<QByteArray> raw = ffmpeg({"-f", "ser", "-i", out, "-f", "rawvideo", "-pix_fmt", "gray", "-"});
            ASSERT_TRUE(raw) << "ffmpeg (Debian package ffmpeg) is needed";
            EXPECT_EQ(*raw, frames);
        }
    }
}

TEST(SerWriter, MixturesAreRefusedNamingTheEntryAndNothingIsLeft)
{
    QTemporaryDir tmp;
    const QString a = tmp.filePath("a.ser"), b = tmp.filePath("b.ser"), c = tmp.filePath("c.ser");
    ASSERT_TRUE(writeAll(a, serBytes({})));
    SerLayout wider;
    wider.width = 20;
    ASSERT_TRUE(writeAll(b, serBytes(wider)));
    SerLayout deeper;
    deeper.depth = 16;
    ASSERT_TRUE(writeAll(c, serBytes(deeper)));
    const QString colour = tmp.filePath("colour.bmp"), grey = tmp.filePath("grey.bmp");
    ASSERT_TRUE(writeTestImage(colour, 16, 12));
    QImage g(16, 12, QImage::Format_Grayscale8);
    g.fill(77);
    ASSERT_TRUE(g.save(grey));
    ASSERT_TRUE(writeAll(tmp.filePath("taken.ser"), "the user's own"));
    const QStringList before = QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden);

    struct Case {
        std::vector<SerFrameSource> frames;
        const char* out;
        QString message;
    };
    const Case cases[] = {
        {{{a, 1}, {b, 1}}, "o.ser", b + QString::fromUtf8("#00001 : 20 × 12 au lieu de 16 × 12 comme la première image")},
        {{{a, 1}, {c, 2}}, "o.ser", c + "#00002 : 16 bits, noir et blanc au lieu de 8 bits, noir et blanc comme " + a + "#00001"},
        {{{colour, 0}, {a, 1}}, "o.ser", colour + " : 8 bits, couleur au lieu de 8 bits, noir et blanc comme " + a + "#00001"},
        {{{a, 1}, {a, 11}}, "o.ser", a + QString::fromUtf8("#00011 : l'image 11 n'existe pas (la vidéo en compte 10)")},
        {{{a, 1}, {tmp.filePath("gone.bmp"), 0}}, "o.ser", tmp.filePath("gone.bmp") + " : "},
        {{{a, 1}}, "taken.ser", tmp.filePath("taken.ser") + QString::fromUtf8(" : Le fichier existe déjà")},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.message.toStdString());
        try {
            writeSerFile(tmp.filePath(k.out), k.frames, withPictures());
            ADD_FAILURE() << "written";
        } catch (const ProgramError& e) {
            EXPECT_TRUE(e.text().startsWith(k.message)) << e.text().toStdString();
        }
        EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), before);
    }

    // Stopped after the first frame: no file either.
    std::atomic<bool> stop{false};
    SerWriteOptions o = withPictures();
    o.stop = &stop;
    o.progress = [&stop](int64_t, int64_t) { stop = true; };
    EXPECT_TRUE(writeSerFile(tmp.filePath("o.ser"), {{a, 1}, {a, 2}}, o).stopped);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files | QDir::Hidden), before);

    // A grey picture fits into a mono 8-bit video; the agreed replacement goes through.
    o = withPictures();
    o.replace = true;
    EXPECT_EQ(writeSerFile(tmp.filePath("taken.ser"), {{grey, 0}, {a, 3}}, o).frames, 2);
    const QByteArray ser = readAll(tmp.filePath("taken.ser"));
    EXPECT_EQ(ser.mid(178, 192), QByteArray(192, char(77)));
    EXPECT_EQ(ser.mid(178 + 192, 192), serFrame(readAll(a), {}, 3));
}
