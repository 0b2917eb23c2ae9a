#include "batch/Uoptionsrenommer.h"

#include "settings/URenommerGroup.h"

#include <QVBoxLayout>

TFormOptionsRenommer::TFormOptionsRenommer(QWidget* parent) : TProgramOptionDialog(parent)
{
    setWindowTitle(QStringLiteral("Options Renommer:"));
    auto* layout = new QVBoxLayout(this);
    GroupRenommer = new TRenommerGroup(true, this);
    layout->addWidget(GroupRenommer);
    addStandardButtons(layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFormOptionsRenommer::fillControls(const ProgramOptions& o) { GroupRenommer->fillControls(o); }

void TFormOptionsRenommer::storeControls(ProgramOptions& o) { GroupRenommer->storeControls(o); }
