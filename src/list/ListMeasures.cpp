#include "list/ListMeasures.h"

void MeasureProgress::beginMeasure(int total)
{
    measuring_ = true;
    emit measureRunning(true);
    emit measureProgress(0, total, 0);
}

void MeasureProgress::reportProgress(int done, int total, double framesPerSecond)
{
    emit measureProgress(done, total, framesPerSecond);
}

void MeasureProgress::endMeasure(int done, int total, double framesPerSecond)
{
    measuring_ = false;
    emit measureProgress(done, total, framesPerSecond);
    emit measureRunning(false);
}
