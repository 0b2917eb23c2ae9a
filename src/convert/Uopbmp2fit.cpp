#include "convert/Uopbmp2fit.h"

TFormOpBmp2Fit::TFormOpBmp2Fit(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Convertir BMP vers FIT:"));
}
