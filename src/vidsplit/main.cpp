// vidsplit, the program's companion frame extractor: a window when started by the program (or with
// no arguments), a command for scripts otherwise.
#include "platform/QtFrench.h"
#include "platform/QtPrompts.h"
#include "platform/Picture.h"
#include "vidsplit/Uvidsplit.h"
#include "vidsplit/VidsplitCommand.h"

#include <QApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const CommandLine command = parseCommandLine(args);
    setPictureMemoryLimit();

    if (command.mode != CommandLine::Mode::Window) {
        QCoreApplication app(argc, argv);
        QTextStream err(stderr);
        return runCommand(command, err);
    }

    QApplication app(argc, argv);
    installQtFrench(app);
    QtPrompts qtPrompts;
    setDefaultPrompts(&qtPrompts);
    TFormVidsplit window(command.listFile);
    window.show();
    return app.exec();
}
