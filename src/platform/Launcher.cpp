#include "platform/Launcher.h"

#include <QProcess>

namespace {

class DetachedLauncher : public Launcher {
public:
    bool launchDetached(const LaunchCommand& c) override
    {
        return QProcess::startDetached(c.program, c.arguments, c.workingDirectory);
    }
};

DetachedLauncher g_detached;
Launcher* g_current = nullptr;

}  // namespace

Launcher& launcher() { return g_current ? *g_current : g_detached; }

void setLauncher(Launcher* l) { g_current = l; }
