#pragma once
// A frame of a video as an entry of the list: the video's directory, and as name the video's file
// name, "#" and the frame number (from 1) on five digits or more: "jupiter.ser#00042". The frame
// is read from the video in place (VideoFrames).
#include <QString>
#include <cstdint>
#include <optional>

struct FrameEntry {
    QString video;       // the video's file name (no directory)
    int64_t number = 0;  // from 1
    bool operator==(const FrameEntry&) const = default;
};

// Whether a file name is a video's by its extension (case-insensitive): ser, avi, mp4, mov, mkv.
bool isVideoFileName(const QString& name);

// "jupiter.ser#00042".
QString frameEntryName(const QString& videoFileName, int64_t number);

// The video and frame number a name stands for, on its form alone: a video's file name, "#", digits
// making a number of at least 1. Nothing for any other name.
std::optional<FrameEntry> parseFrameEntry(const QString& name);

// The same for an entry of directory (with or without its final '/'), when the video is also there
// as a file: an entry whose video is gone, or a file that happens to be named so, is not a frame.
std::optional<FrameEntry> frameEntryIn(const QString& directory, const QString& name);

// Frames the video at path holds, cheaply (SER: from its header and size; other videos: from the
// frame index, built once and kept), for adding a video's frames to a list. -1 with a French
// message "path : reason" when the video cannot be read.
int64_t videoFrameCount(const QString& path, QString& error);
