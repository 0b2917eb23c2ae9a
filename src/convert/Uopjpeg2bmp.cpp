#include "convert/Uopjpeg2bmp.h"

#include "settings/URenommerGroup.h"

#include <QVBoxLayout>

TFormopJpeg2Bmp::TFormopJpeg2Bmp(QWidget* parent) : TProgramOptionDialog(parent)
{
    setWindowTitle(QStringLiteral("Convertir JPEG vers Bmp:"));
    auto* layout = new QVBoxLayout(this);
    GroupRenommer = new TRenommerGroup(true, this);
    layout->addWidget(GroupRenommer);
    addStandardButtons(layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFormopJpeg2Bmp::fillControls(const ProgramOptions& o) { GroupRenommer->fillControls(o); }

void TFormopJpeg2Bmp::storeControls(ProgramOptions& o) { GroupRenommer->storeControls(o); }
