#pragma once
// "--join": the frames of a list gathered into one 8-bit SER video that stackers read, in the order
// they were captured (captureOrder in video/SerWriter.h), not the order the list shows. Picture
// files make an 8-bit video, mono when every frame is grey, RGB otherwise, with each frame's file
// time in the trailer; frames of SER videos listed as "video.ser#00042" are copied as they are.
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

struct JoinOptions {
    QString listFile;
    QString outFile;
    std::optional<int> minScore;  // only entries whose quality is an integer of at least this
};

struct JoinResult {
    QString outFile;  // the name used (a taken name gets the next free one)
    int64_t frames = 0;
    bool mono = false;
};

// Throws ProgramError naming the file at fault; nothing is written then.
JoinResult joinToSer(const JoinOptions& options,
                     const std::function<void(int64_t done, int64_t total)>& progress = {});
