#include "batch/Uoptrierzone.h"

TFormopTrierZone::TFormopTrierZone(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8("Options Trier par Zones dans Sous Répertoire:"));
}
