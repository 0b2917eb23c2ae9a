#include "tools/Ucnvhlp.h"

TCnvHlp::TCnvHlp(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Aide"));
}
