#pragma once
// "--join": the frames of a list, in list order, gathered into one 8-bit SER video that stackers
// read: mono when every frame is grey, RGB otherwise, with each frame's file time in the trailer.
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
