#include "review/Uzone.h"

TFormZone::TFormZone(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QString::fromUtf8("Zônes"));
}

void TFormZone::ClearPage() {}
void TFormZone::AssignZoneImage(int, const QString&) {}
void TFormZone::HighlightItem(int) {}
void TFormZone::sethvignette(int) {}
void TFormZone::setwvignette(int) {}
