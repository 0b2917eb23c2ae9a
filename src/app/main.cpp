#include "app/Ucommande.h"
#include "app/Ustartup.h"
#include "platform/QtFrench.h"
#include "platform/Picture.h"
#include "platform/QtPrompts.h"
#include "tools/ProgramIcon.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    installQtFrench(app);
    QApplication::setWindowIcon(programIcon());
    // Ties the windows to the desktop entry velmoran.desktop (its icon, its name in task bars).
    QGuiApplication::setDesktopFileName(QStringLiteral("velmoran"));
    setPictureMemoryLimit();
    QtPrompts qtPrompts;
    setDefaultPrompts(&qtPrompts);

    TFormCommande* commande = startProgram();
    // Closing the command window ends the program, whatever other window is still open.
    QObject::connect(commande, &TFormCommande::Closed, &app, &QApplication::quit, Qt::QueuedConnection);
    const int rc = app.exec();
    stopProgram();
    return rc;
}
