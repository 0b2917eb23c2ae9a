#include "tools/Uopbatch.h"

TFormOpBatch::TFormOpBatch(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Options Batch"));
}
