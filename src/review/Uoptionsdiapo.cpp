#include "review/Uoptionsdiapo.h"

TFormOptionsDiapo::TFormOptionsDiapo(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8("Options Diaporama:"));
}
