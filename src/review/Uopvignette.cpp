#include "review/Uopvignette.h"

TFormopvignette::TFormopvignette(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8("Options Vignettes:"));
}
