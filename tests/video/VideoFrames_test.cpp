// Frames of videos read in place as linear data: SER samples as stored, other videos through the
// frame index, the same frames as decoding in order, from several threads, and an error for a
// video shortened or removed.
#include "VideoFixture.h"

#include "TestFiles.h"
#include "video/FrameSource.h"
#include "video/VideoFrames.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <thread>

namespace {

// Smooth high bytes and a noisy low byte, as real 16-bit data, so that the byte order shows.
unsigned wide(int f, int x, int y, int p, unsigned base, unsigned step)
{
    return base + unsigned(x) * step + unsigned(y) * 8 * step + unsigned(f + p) * 100 + ((unsigned(x * 73 + y * 151 + f * 17) * 2654435761u) >> 24);
}

// Every frame of a video decoded in order by the extractor's sequential reader.
std::vector<Frame8> framesInOrder(const QString& path)
{
    std::vector<Frame8> frames;
    const std::unique_ptr<FrameSource> source = openFrameSource(path, {});
    Frame8 f;
    QString error;
    while (source->read(f, error) == FrameRead::Frame)
        frames.push_back(f);
    return frames;
}

// Whether a linear frame holds the 8-bit frame (grey, or B, G, R).
bool same(const LinearImage& l, const Frame8& f)
{
    if (l.width != f.width || l.height != f.height || l.planes != f.channels || l.nominalMax != 255)
        return false;
    const size_t n = size_t(l.planeSize());
    for (int p = 0; p < l.planes; ++p)
        for (size_t i = 0; i < n; ++i)
            if (l.u16[p * n + i] != f.data()[i * size_t(f.channels) + size_t(f.channels == 3 ? 2 - p : 0)])
                return false;
    return true;
}

}  // namespace

TEST(VideoFrames, SerFramesAreTheStoredSamples)
{
    struct Case {
        const char* name;
        SerLayout plan;
        BayerPattern bayer;
        double nominalMax;
    };
    auto plan = [](int colorId, int depth, bool bigEndian, unsigned base, unsigned step) {
        SerLayout s;
        s.colorId = colorId;
        s.depth = depth;
        s.bigEndian = bigEndian;
        if (depth > 8)
            s.sample = [base, step](int f, int x, int y, int p) { return wide(f, x, y, p, base, step); };
        return s;
    };
    const Case cases[] = {
        {"8-bit mono", plan(0, 8, false, 0, 0), BayerPattern::None, 255},
        {"12-bit data under a 16-bit header", plan(0, 16, false, 2000, 8), BayerPattern::None, 4095},
        {"16-bit big-endian", plan(0, 16, true, 30000, 200), BayerPattern::None, 65535},
        {"Bayer GRBG", plan(9, 8, false, 0, 0), BayerPattern::GRBG, 255},
        {"Bayer BGGR, 12 bits", plan(11, 12, false, 100, 2), BayerPattern::BGGR, 4095},
        {"RGB", plan(100, 8, false, 0, 0), BayerPattern::None, 255},
        {"BGR, 16 bits big-endian", plan(101, 16, true, 30000, 200), BayerPattern::None, 65535},
    };
    QTemporaryDir tmp;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = tmp.filePath(QStringLiteral("%1.ser").arg(c.name));
        ASSERT_TRUE(writeAll(path, serBytes(c.plan)));
        LinearImage img;
        QString error;
        ASSERT_TRUE(videoFrames().read(path, 7, img, error)) << error.toStdString();
        const int planes = c.plan.colorId >= 100 ? 3 : 1;
        ASSERT_EQ(img.width, c.plan.width);
        ASSERT_EQ(img.height, c.plan.height);
        ASSERT_EQ(img.planes, planes);
        EXPECT_EQ(img.bayer, c.bayer);
        EXPECT_EQ(img.nominalMax, c.nominalMax);
        int wrong = 0;
        for (int p = 0; p < planes; ++p)
            for (int y = 0; y < img.height; ++y)
                for (int x = 0; x < img.width; ++x) {
                    const int stored = c.plan.colorId == 101 ? 2 - p : p;  // planes are R, G, B
                    wrong += img.at(x, y, p) != double(c.plan.sample(6, x, y, stored) & 0xFFFF);
                }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(VideoFrames, FramesInAnyOrderAreThoseOfDecodingInOrder)
{
    struct Case {
        const char* file;
        QStringList encoding;
        int planes;
    };
    const Case cases[] = {
        {"key-frames.avi", {"-c:v", "mpeg4", "-g", "5", "-bf", "0"}, 3},
        {"b-frames.mkv", {"-c:v", "mpeg4", "-g", "6", "-bf", "2"}, 3},
        {"b-frames.avi", {"-c:v", "mpeg4", "-g", "6", "-bf", "2"}, 3},  // no pts: counted from the start
        {"h264.mp4", {"-c:v", "libx264", "-g", "7", "-bf", "3", "-pix_fmt", "yuv420p"}, 3},
        {"grey.avi", {"-c:v", "rawvideo", "-pix_fmt", "gray"}, 1},
    };
    QTemporaryDir tmp;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = tmp.filePath(c.file);
        ASSERT_TRUE(ffmpeg(QStringList{"-f", "lavfi", "-i", "testsrc=size=64x48:rate=10", "-frames:v", "30"} + c.encoding + QStringList{path}))
            << "ffmpeg (Debian package ffmpeg) is needed";
        const std::vector<Frame8> reference = framesInOrder(path);
        ASSERT_EQ(reference.size(), 30u);
        QString error;
        EXPECT_EQ(videoFrames().frameCount(path, error), 30) << error.toStdString();
        for (const int n : {17, 3, 4, 30, 1, 12, 13, 29, 6, 6, 25, 2}) {
            LinearImage img;
            ASSERT_TRUE(videoFrames().read(path, n, img, error)) << n << ": " << error.toStdString();
            EXPECT_EQ(img.planes, c.planes);
            EXPECT_TRUE(same(img, reference[size_t(n - 1)])) << "frame " << n;
        }
    }
}

TEST(VideoFrames, ThreadsReadTheSameVideosAtOnce)
{
    QTemporaryDir tmp;
    const QString ser = tmp.filePath("v.ser"), avi = tmp.filePath("v.avi");
    ASSERT_TRUE(writeAll(ser, serBytes({})));
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc=size=64x48:rate=10", "-frames:v", "10", "-c:v", "mpeg4", "-g", "4", avi}));
    const std::vector<Frame8> aviFrames = framesInOrder(avi);
    ASSERT_EQ(aviFrames.size(), 10u);
    std::atomic<int> wrong{0};
    auto reader = [&](int shift) {
        LinearImage img;
        QString error;
        for (int i = 0; i < 200; ++i) {
            const int n = (i + shift) % 10 + 1;
            wrong += !videoFrames().read(ser, n, img, error) || img.at(3, 2) != double(SerLayout{}.sample(n - 1, 3, 2, 0));
            wrong += !videoFrames().read(avi, n, img, error) || !same(img, aviFrames[size_t(n - 1)]);
        }
    };
    std::thread a(reader, 0), b(reader, 5);
    reader(3);
    a.join();
    b.join();
    EXPECT_EQ(wrong, 0);
}

TEST(VideoFrames, AShortenedOrRemovedVideoGivesItsError)
{
    QTemporaryDir tmp;
    const QString ser = tmp.filePath("v.ser"), avi = tmp.filePath("v.avi");
    ASSERT_TRUE(ffmpeg({"-f", "lavfi", "-i", "testsrc=size=64x48:rate=10", "-frames:v", "30", "-c:v", "mjpeg", avi}));
    struct Case {
        QString path;
        int frame;
        qint64 keep;  // bytes left; -1: the file is removed
        QString message;
    };
    const Case cases[] = {
        {ser, 7, 178 + 3 * 192, ser + QString::fromUtf8(" : l'image 7 n'existe pas (la vidéo en compte 3)")},
        {ser, 2, -1, ser + " : Fichier introuvable"},
        {avi, 25, QFileInfo(avi).size() / 3, avi + " : "},
        {avi, 2, -1, avi + " : Fichier introuvable"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        if (c.path == ser) {
            ASSERT_TRUE(writeAll(ser, serBytes({})));
        }
        LinearImage img;
        QString error;
        ASSERT_TRUE(videoFrames().read(c.path, c.frame, img, error)) << error.toStdString();
        ASSERT_TRUE(c.keep < 0 ? QFile::remove(c.path) : QFile::resize(c.path, c.keep));
        EXPECT_FALSE(videoFrames().read(c.path, c.frame, img, error));
        EXPECT_TRUE(error.startsWith(c.message) && error.size() > c.path.size() + 3) << error.toStdString();
    }
}
