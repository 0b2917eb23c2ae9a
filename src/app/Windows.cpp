#include "app/Windows.h"

AppWindows& appWindows()
{
    static AppWindows w;
    return w;
}
