#pragma once
// The command line of vidsplit:
//   vidsplit [/VELMORAN "LIST"]              the window, with the list the program hands over
//   vidsplit VIDEO [--out DIR] [--list LIST] [--first N] [--count M] [--grey] [--byte-order ORDER]
//   vidsplit --join LIST OUT.ser [--min-score S]
// The last two run without a window, report progress on standard error, and exit with 0 only when
// everything asked for was written (1 otherwise, 2 for a command line that cannot be understood).
#include "vidsplit/Extraction.h"
#include "vidsplit/JoinSer.h"

#include <QString>
#include <QStringList>

class QTextStream;

struct CommandLine {
    enum class Mode { Window, Extract, Join, Help, Invalid };
    Mode mode = Mode::Window;
    QString listFile;  // Window: the list to work on (may be empty)
    ExtractOptions extract;
    JoinOptions join;
    QString error;     // Invalid: what is wrong
};

// args: the arguments after the program's name.
CommandLine parseCommandLine(const QStringList& args);
QString usageText();

// Runs an Extract, Join, Help or Invalid command line, writing to err; returns the exit status.
// SIGINT and SIGTERM stop an extraction after the frame in progress; its frames are still listed.
int runCommand(const CommandLine& command, QTextStream& err);
