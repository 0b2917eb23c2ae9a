#include "review/Uopzone.h"

TFormopzone::TFormopzone(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8("Options Zones:"));
}
