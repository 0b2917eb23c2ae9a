#include "review/Uopzone.h"

#include "review/ThumbnailGeometry.h"

#include <QFormLayout>
#include <QVBoxLayout>

TFormopzone::TFormopzone(QWidget* parent) : TDesktopOptionDialog(parent)
{
    setWindowTitle(QString::fromUtf8("Options Zones:"));
    auto* layout = new QVBoxLayout(this);
    auto* sizes = new QFormLayout;
    SpinEditHauteur = new TSpinEdit(kMinCellSide, kMaxCellSide, 1, 75, this);
    SpinEditHauteur->setObjectName(QStringLiteral("SpinEditHauteur"));
    SpinEditLargeur = new TSpinEdit(kMinCellSide, kMaxCellSide, 1, 75, this);
    SpinEditLargeur->setObjectName(QStringLiteral("SpinEditLargeur"));
    sizes->addRow(QStringLiteral("Hauteur Zones:"), SpinEditHauteur);
    sizes->addRow(QStringLiteral("Largeur Zones:"), SpinEditLargeur);
    layout->addLayout(sizes);
    addStandardButtons(layout);
}

void TFormopzone::fillControls(const DesktopOptions& o)
{
    SpinEditHauteur->SetValue(o.ZoneCellHeight);
    SpinEditLargeur->SetValue(o.ZoneCellWidth);
}

void TFormopzone::storeControls(DesktopOptions& o)
{
    o.ZoneCellHeight = SpinEditHauteur->Value();
    o.ZoneCellWidth = SpinEditLargeur->Value();
}

void TFormopzone::okAction()
{
    emit cellSizeChosen(desktopOptions().ZoneCellHeight, desktopOptions().ZoneCellWidth);
}
