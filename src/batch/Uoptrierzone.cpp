#include "batch/Uoptrierzone.h"

#include "platform/Prompts.h"
#include "platform/DirectoryChooser.h"
#include "settings/RenameFields.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFormopTrierZone::TFormopTrierZone(QWidget* parent) : TProgramOptionDialog(parent)
{
    setWindowTitle(QString::fromUtf8("Options Trier par Zones dans Sous Répertoire:"));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QString::fromUtf8("Déplacer:"), this);
    group->setObjectName(QStringLiteral("GroupBoxDeplacer"));
    auto* grid = new QGridLayout(group);
    CheckBoxRep = new QCheckBox(QString::fromUtf8("Déplacer vers Répertoire:"), group);
    CheckBoxRep->setObjectName(QStringLiteral("CheckBoxRep"));
    BitBtnParcourir = new QPushButton(QStringLiteral("Parcourir..."), group);
    BitBtnParcourir->setObjectName(QStringLiteral("BitBtnParcourir"));
    BitBtnParcourir->setAutoDefault(false);
    EditNomREpBase = new QLineEdit(group);
    EditNomREpBase->setObjectName(QStringLiteral("EditNomREpBase"));
    EditNomREpBase->setMinimumWidth(280);
    grid->addWidget(CheckBoxRep, 0, 0);
    grid->addWidget(BitBtnParcourir, 0, 1, Qt::AlignLeft);
    grid->addWidget(EditNomREpBase, 1, 0, 1, 2);
    layout->addWidget(group);
    addStandardButtons(layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(BitBtnParcourir, &QPushButton::clicked, this, &TFormopTrierZone::BitBtnParcourirClick);
}

void TFormopTrierZone::fillControls(const ProgramOptions& o)
{
    CheckBoxRep->setChecked(o.SortMoveToBase);
    EditNomREpBase->setText(targetDirectoryFromText(o.SortBaseDirectory));
}

void TFormopTrierZone::storeControls(ProgramOptions& o)
{
    o.SortMoveToBase = CheckBoxRep->isChecked();
    o.SortBaseDirectory = targetDirectoryFromText(EditNomREpBase->text());
}

void TFormopTrierZone::BitBtnParcourirClick()
{
    DirectoryChooser* chooser = directoryChooser();
    if (chooser && chooser->Choisir())
        EditNomREpBase->setText(chooser->RepertoireChoisi());
}
