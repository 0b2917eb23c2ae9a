#include "review/UDiapo.h"

TFormDiapo::TFormDiapo(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Diaporama"));
}

void TFormDiapo::ShowImage(const QString& path) { setWindowTitle(path); }
void TFormDiapo::SetFullScreen(bool) {}
