#include "convert/Ubalance.h"

TFormBalance::TFormBalance(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Filtrage des Couleurs:"));
}
