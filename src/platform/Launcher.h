#pragma once
// Starting another program apart from this one: it is never waited on, watched or read back.
// Tests install a recording launcher; the program uses the one that really starts processes.
#include <QString>
#include <QStringList>

struct LaunchCommand {
    QString program;           // the program file, an absolute path
    QStringList arguments;     // each handed over as one argument, spaces and all
    QString workingDirectory;  // the started program's current directory

    bool operator==(const LaunchCommand&) const = default;
};

class Launcher {
public:
    virtual ~Launcher() = default;
    // Starts the command and returns at once; false when it could not be started.
    virtual bool launchDetached(const LaunchCommand& command) = 0;
};

// The process-wide launcher; setLauncher(nullptr) restores the real one.
Launcher& launcher();
void setLauncher(Launcher* l);
