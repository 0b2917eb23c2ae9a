#pragma once
// "--join": the frames of a list gathered into one 8-bit SER video that stackers read, in the order
// they were captured (by the frame numbers their names end with, "jupiter_00042.bmp"; in list
// order when a name has none), not the order the list shows: mono when every frame is grey, RGB
// otherwise, with each frame's file time in the trailer.
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
