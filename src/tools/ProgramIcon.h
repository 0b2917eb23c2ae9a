#pragma once
// The program's icon, drawn rather than stored: a ringed planet among a few stars on a night-blue
// square. The about box and the windows use it; the build writes it as the PNG files of the
// desktop's icon theme.
#include <QIcon>
#include <QImage>

// The icon at size × size pixels (ARGB, transparent corners).
QImage drawProgramIcon(int size);
// The icon at the usual sizes.
QIcon programIcon();
// The sizes written to the icon theme.
extern const int kProgramIconSizes[6];  // 16, 32, 48, 64, 128, 256
