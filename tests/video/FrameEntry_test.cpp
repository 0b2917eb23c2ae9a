// Frame entries of a list: "video.ser#00042" names.
#include "VideoFixture.h"

#include "TestFiles.h"
#include "video/FrameEntry.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(FrameEntry, NamesReadBackAndOtherNamesAreNotFrames)
{
    EXPECT_EQ(frameEntryName("jupiter.ser", 42), "jupiter.ser#00042");
    EXPECT_EQ(frameEntryName("a b.AVI", 1234567), "a b.AVI#1234567");
    for (const auto& [video, number] : {std::pair<QString, int64_t>{"jupiter.ser", 42}, {"Lune 2.MKV", 1}, {"x.mov", 100000}})
        EXPECT_EQ(parseFrameEntry(frameEntryName(video, number)), (FrameEntry{video, number}));

    const std::pair<const char*, std::optional<FrameEntry>> cases[] = {
        {"mars.avi#7", FrameEntry{"mars.avi", 7}},
        {"m#1.mp4#00002", FrameEntry{"m#1.mp4", 2}},
        {"jupiter.ser#00000", std::nullopt},     // frames count from 1
        {"jupiter.ser#", std::nullopt},
        {"jupiter.ser#12a", std::nullopt},
        {"jupiter.ser#-1", std::nullopt},
        {"jupiter.bmp#00001", std::nullopt},     // not a video
        {".ser#00001", std::nullopt},
        {"jupiter.ser#0000000000000000001", std::nullopt},  // more digits than any count
        {"jupiter_00042.bmp", std::nullopt},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(parseFrameEntry(name), expected) << name;

    // In a directory, only while the video is there as a file.
    QTemporaryDir tmp;
    ASSERT_TRUE(writeAll(tmp.filePath("v.ser"), serBytes({})));
    ASSERT_TRUE(QDir(tmp.path()).mkdir("d.avi"));
    EXPECT_EQ(frameEntryIn(tmp.path(), "v.ser#00003"), (FrameEntry{"v.ser", 3}));
    EXPECT_EQ(frameEntryIn(tmp.path() + "/", "v.ser#00003"), (FrameEntry{"v.ser", 3}));
    EXPECT_EQ(frameEntryIn(tmp.path(), "w.ser#00003"), std::nullopt);
    EXPECT_EQ(frameEntryIn(tmp.path(), "d.avi#00001"), std::nullopt);
    QString error;
    EXPECT_EQ(videoFrameCount(tmp.filePath("v.ser"), error), 10);
    EXPECT_EQ(videoFrameCount(tmp.filePath("w.ser"), error), -1);
    EXPECT_EQ(error, tmp.filePath("w.ser") + " : Fichier introuvable");
}
