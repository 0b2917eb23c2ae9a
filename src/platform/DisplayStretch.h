#pragma once
// How linear frames are shown, for every window at once (slideshow, decode ahead, thumbnails,
// zones, reference): linked (one automatic curve, made from the first linear frame shown after a
// list is opened, then kept, so that a frame under thin cloud looks darker than its neighbours),
// per frame (each frame's own automatic curve) or off (each frame straight from its minimum to its
// maximum). Held in memory only. Safe to use from the decoding threads.
#include "platform/Stretch.h"

#include <cstdint>
#include <optional>

enum class StretchMode { Linked, PerFrame, Off };

namespace DisplayStretch {

StretchMode mode();
void setMode(StretchMode mode);
// The next mode in the order linked, per frame, off.
StretchMode nextMode(StretchMode mode);
// Forgets the linked curve: the next linear frame shown makes it (a list was opened).
void resetLinked();
// Makes the linked curve from this frame now.
void linkTo(const LinearImage& image);
std::optional<StretchCurve> linkedCurve();
// Changes whenever what the same frame would look like changes: a picture made before must not be
// shown after.
uint64_t generation();

// The frame's screen picture under the current mode (a linked mode without a curve takes this
// frame's).
QImage render(const LinearImage& image);

}  // namespace DisplayStretch
