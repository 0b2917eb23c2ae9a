#include "convert/Uopjpeg2bmp.h"

TFormopJpeg2Bmp::TFormopJpeg2Bmp(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Convertir JPEG vers Bmp:"));
}
