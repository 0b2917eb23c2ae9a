#include "convert/Uopbmp2jpeg.h"

TFormOpBmp2Jpeg::TFormOpBmp2Jpeg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Convertir BMP vers JPEG:"));
}
