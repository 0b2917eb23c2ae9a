#include "platform/DisplayStretch.h"

#include <mutex>

namespace {

struct State {
    std::mutex mutex;
    StretchMode mode = StretchMode::Linked;
    std::optional<StretchCurve> linked;
    uint64_t generation = 1;
};

State& state()
{
    static State s;
    return s;
}

}  // namespace

namespace DisplayStretch {

StretchMode mode()
{
    std::lock_guard lock(state().mutex);
    return state().mode;
}

void setMode(StretchMode mode)
{
    std::lock_guard lock(state().mutex);
    if (state().mode != mode) {
        state().mode = mode;
        ++state().generation;
    }
}

StretchMode nextMode(StretchMode mode)
{
    switch (mode) {
    case StretchMode::Linked: return StretchMode::PerFrame;
    case StretchMode::PerFrame: return StretchMode::Off;
    case StretchMode::Off: break;
    }
    return StretchMode::Linked;
}

void resetLinked()
{
    std::lock_guard lock(state().mutex);
    if (state().linked) {
        state().linked.reset();
        ++state().generation;
    }
}

void linkTo(const LinearImage& image)
{
    const StretchCurve curve = autoStretch(frameStats(image), image);
    std::lock_guard lock(state().mutex);
    state().linked = curve;
    ++state().generation;
}

std::optional<StretchCurve> linkedCurve()
{
    std::lock_guard lock(state().mutex);
    return state().linked;
}

uint64_t generation()
{
    std::lock_guard lock(state().mutex);
    return state().generation;
}

QImage render(const LinearImage& image)
{
    StretchMode m;
    std::optional<StretchCurve> linked;
    {
        std::lock_guard lock(state().mutex);
        m = state().mode;
        linked = state().linked;
    }
    StretchCurve curve;
    if (m == StretchMode::Linked && linked) {
        curve = *linked;
    } else {
        const FrameStats stats = frameStats(image, m == StretchMode::Off);
        curve = m == StretchMode::Off ? linearStretch(stats) : autoStretch(stats, image);
        if (m == StretchMode::Linked) {
            std::lock_guard lock(state().mutex);
            // Two threads may race to be first: the first curve stays, the picture uses it.
            if (!state().linked)
                state().linked = curve;
            else
                curve = *state().linked;
        }
    }
    return renderStretched(image, curve);
}

}  // namespace DisplayStretch
