#include "settings/Uopglobales.h"

TFormOpGlobales::TFormOpGlobales(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8("Options:"));
}
