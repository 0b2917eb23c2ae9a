#include "batch/Uoptionsrenommer.h"

TFormOptionsRenommer::TFormOptionsRenommer(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Options Renommer:"));
}
