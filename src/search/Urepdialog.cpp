#include "search/Urepdialog.h"

TRepDialog::TRepDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8("Choix d'un répertoire cible"));
}
