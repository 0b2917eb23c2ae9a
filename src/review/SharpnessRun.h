#pragma once
// The sharpness of a list of picture files, measured on worker threads (see MeasureRun).
#include "review/MeasureRun.h"
#include "review/Sharpness.h"

class SharpnessRun : public MeasureRun<SharpnessMeasure> {
public:
    // job: the measure; the benchmarks also time the decoding alone.
    explicit SharpnessRun(const QStringList& paths, Work job = measureSharpnessOfFile, int threads = 0)
        : MeasureRun(paths, std::move(job), SharpnessMeasure{0, SharpnessUnreadable}, threads)
    {
    }
};
