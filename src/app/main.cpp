#include "app/Ucommande.h"
#include "app/Ustartup.h"
#include "platform/Picture.h"
#include "platform/QtPrompts.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
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
