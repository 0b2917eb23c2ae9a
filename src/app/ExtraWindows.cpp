#include "app/ExtraWindows.h"

ExtraWindows& extraWindows()
{
    static ExtraWindows w;
    return w;
}
