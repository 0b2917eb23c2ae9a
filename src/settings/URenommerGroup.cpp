#include "settings/URenommerGroup.h"

#include "platform/Prompts.h"
#include "platform/DirectoryChooser.h"
#include "settings/Options.h"
#include "settings/RenameFields.h"

#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

TRenommerGroup::TRenommerGroup(bool cutAtDot, QWidget* parent)
    : QGroupBox(QStringLiteral("Renommer:"), parent), cutAtDot_(cutAtDot)
{
    setObjectName(QStringLiteral("GroupBoxRenommer"));
    auto* grid = new QGridLayout(this);
    CheckBoxRenommer = new QCheckBox(QStringLiteral("Renommer par Lot vers ??..??0001:"), this);
    CheckBoxRenommer->setObjectName(QStringLiteral("CheckBoxRenommer"));
    EditNomLot = new QLineEdit(this);
    EditNomLot->setObjectName(QStringLiteral("EditNomLot"));
    CheckBoxRep = new QCheckBox(QString::fromUtf8("Déplacer vers Répertoire:"), this);
    CheckBoxRep->setObjectName(QStringLiteral("CheckBoxRep"));
    BitBtnParcourir = new QPushButton(QStringLiteral("Parcourir..."), this);
    BitBtnParcourir->setObjectName(QStringLiteral("BitBtnParcourir"));
    BitBtnParcourir->setAutoDefault(false);
    EditNomREp = new QLineEdit(this);
    EditNomREp->setObjectName(QStringLiteral("EditNomREp"));
    EditNomREp->setMinimumWidth(280);
    grid->addWidget(CheckBoxRenommer, 0, 0);
    grid->addWidget(EditNomLot, 0, 1);
    grid->addWidget(CheckBoxRep, 1, 0);
    grid->addWidget(BitBtnParcourir, 1, 1, Qt::AlignLeft);
    grid->addWidget(EditNomREp, 2, 0, 1, 2);
    connect(BitBtnParcourir, &QPushButton::clicked, this, &TRenommerGroup::BitBtnParcourirClick);
}

void TRenommerGroup::fillControls(const ProgramOptions& o)
{
    CheckBoxRenommer->setChecked(o.RenameByBatch);
    EditNomLot->setText(o.BatchName);
    CheckBoxRep->setChecked(o.MoveToTarget);
    EditNomREp->setText(targetDirectoryFromText(o.TargetDirectory));
}

void TRenommerGroup::storeControls(ProgramOptions& o) const
{
    o.RenameByBatch = CheckBoxRenommer->isChecked();
    o.MoveToTarget = CheckBoxRep->isChecked();
    o.BatchName = batchNameFromText(EditNomLot->text(), cutAtDot_);
    o.TargetDirectory = targetDirectoryFromText(EditNomREp->text());
}

void TRenommerGroup::BitBtnParcourirClick()
{
    DirectoryChooser* chooser = directoryChooser();
    if (!chooser)
        return;
    if (chooser->Choisir())
        EditNomREp->setText(chooser->RepertoireChoisi());
}
