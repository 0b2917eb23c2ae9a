#include "tools/Uopbatch.h"

#include "platform/Prompts.h"
#include "platform/DirectoryChooser.h"
#include "settings/Options.h"
#include "tools/ExtractorLaunch.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TFormOpBatch::TFormOpBatch(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Options Vidsplit"));
    setObjectName(QStringLiteral("FormOpBatch"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    LabelRep = new QLabel(QString::fromUtf8("Répertoire de \"Vidsplit\""), this);
    LabelRep->setObjectName(QStringLiteral("LabelRep"));
    BitBtnParcourir = new QPushButton(QStringLiteral("Parcourir..."), this);
    BitBtnParcourir->setObjectName(QStringLiteral("BitBtnParcourir"));
    BitBtnParcourir->setAutoDefault(false);
    EditRep = new QLineEdit(this);
    EditRep->setObjectName(QStringLiteral("EditRep"));
    EditRep->setMinimumWidth(320);
    LabelRep->setBuddy(EditRep);
    grid->addWidget(LabelRep, 0, 0);
    grid->addWidget(BitBtnParcourir, 0, 1, Qt::AlignRight);
    grid->addWidget(EditRep, 1, 0, 1, 2);
    layout->addLayout(grid);

    CheckBoxNePasRedemander = new QCheckBox(QStringLiteral("Ne pas redemander"), this);
    CheckBoxNePasRedemander->setObjectName(QStringLiteral("CheckBoxNePasRedemander"));
    layout->addWidget(CheckBoxNePasRedemander);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    BitBtnOk = new QPushButton(QStringLiteral("OK"), this);
    BitBtnOk->setObjectName(QStringLiteral("BitBtnOk"));
    BitBtnOk->setDefault(true);
    BitBtnAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    BitBtnAnnuler->setObjectName(QStringLiteral("BitBtnAnnuler"));
    BitBtnAnnuler->setAutoDefault(false);
    buttons->addWidget(BitBtnOk);
    buttons->addWidget(BitBtnAnnuler);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(BitBtnParcourir, &QPushButton::clicked, this, &TFormOpBatch::BitBtnParcourirClick);
    connect(BitBtnOk, &QPushButton::clicked, this, &TFormOpBatch::BitBtnOkClick);
    connect(BitBtnAnnuler, &QPushButton::clicked, this, &TFormOpBatch::BitBtnAnnulerClick);
}

void TFormOpBatch::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormActivate();
}

void TFormOpBatch::FormActivate()
{
    const ExtractorOptions& e = extractorOptions();
    EditRep->setText(e.ExtractorDirectory);
    CheckBoxNePasRedemander->setChecked(e.ExtractorDontAsk);
}

void TFormOpBatch::BitBtnOkClick()
{
    ExtractorOptions& e = extractorOptions();
    e.ExtractorDirectory = extractorDirectoryFromText(EditRep->text());
    e.ExtractorDontAsk = CheckBoxNePasRedemander->isChecked();
    accept();
}

void TFormOpBatch::BitBtnAnnulerClick() { reject(); }

void TFormOpBatch::BitBtnParcourirClick()
{
    DirectoryChooser* chooser = directoryChooser();
    if (chooser && chooser->Choisir())
        EditRep->setText(chooser->RepertoireChoisi());
}
