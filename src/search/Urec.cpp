#include "search/Urec.h"

TFormRec::TFormRec(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Recherches et Tris de Fichiers"));
}
