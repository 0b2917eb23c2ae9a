#include "review/Uopvignette.h"

#include "review/ThumbnailGeometry.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

TFormopvignette::TFormopvignette(QWidget* parent) : TDesktopOptionDialog(parent)
{
    setWindowTitle(QString::fromUtf8("Options Vignettes:"));
    auto* layout = new QVBoxLayout(this);

    auto* countRow = new QHBoxLayout;
    LabelTitreNombre = new QLabel(QStringLiteral("Nombre de Vignettes dans la Liste: "), this);
    LabelTitreNombre->setObjectName(QStringLiteral("LabelTitreNombre"));
    LabelNombre = new QLabel(QStringLiteral("0"), this);
    LabelNombre->setObjectName(QStringLiteral("LabelNombre"));
    countRow->addWidget(LabelTitreNombre);
    countRow->addWidget(LabelNombre);
    countRow->addStretch(1);
    layout->addLayout(countRow);

    GroupBoxCreation = new QGroupBox(QString::fromUtf8("Création de Vignettes:"), this);
    GroupBoxCreation->setObjectName(QStringLiteral("GroupBoxCreation"));
    auto* creation = new QFormLayout(GroupBoxCreation);
    SpinEditDe = new TSpinEdit(0, 0, 1, 0, GroupBoxCreation);
    SpinEditDe->setObjectName(QStringLiteral("SpinEditDe"));
    SpinEditNombre = new TSpinEdit(0, 0, 1, 0, GroupBoxCreation);
    SpinEditNombre->setObjectName(QStringLiteral("SpinEditNombre"));
    ButtonToutes = new QPushButton(QStringLiteral("Toutes.."), GroupBoxCreation);
    ButtonToutes->setObjectName(QStringLiteral("ButtonToutes"));
    ButtonToutes->setAutoDefault(false);
    creation->addRow(QStringLiteral("De:"), SpinEditDe);
    creation->addRow(QStringLiteral("Nombre:"), SpinEditNombre);
    creation->addRow(ButtonToutes);
    layout->addWidget(GroupBoxCreation);
    connect(ButtonToutes, &QPushButton::clicked, this, [this] { ButtonToutesClick(); });

    auto* sizes = new QFormLayout;
    SpinEditHauteur = new TSpinEdit(kMinCellSide, kMaxCellSide, 1, 75, this);
    SpinEditHauteur->setObjectName(QStringLiteral("SpinEditHauteur"));
    SpinEditLargeur = new TSpinEdit(kMinCellSide, kMaxCellSide, 1, 75, this);
    SpinEditLargeur->setObjectName(QStringLiteral("SpinEditLargeur"));
    sizes->addRow(QStringLiteral("Hauteur Vignettes:"), SpinEditHauteur);
    sizes->addRow(QStringLiteral("Largeur Vignettes:"), SpinEditLargeur);
    layout->addLayout(sizes);

    CheckBoxNePasRedemander = new QCheckBox(QStringLiteral("Ne pas Redemander"), this);
    CheckBoxNePasRedemander->setObjectName(QStringLiteral("CheckBoxNePasRedemander"));
    layout->addWidget(CheckBoxNePasRedemander);

    addStandardButtons(layout);
}

int TFormopvignette::EntryCount() const
{
    return entryCount_ ? entryCount_() : 0;
}

void TFormopvignette::fillControls(const DesktopOptions& o)
{
    const int n = EntryCount();
    const int m = std::max(0, std::min(n, o.ThumbPageLimit));
    LabelNombre->setText(QString::number(n));
    // Limits first, so the values are brought within them.
    SpinEditDe->setRange(0, m);
    SpinEditNombre->setRange(0, m);
    SpinEditDe->SetValue(o.ThumbFirst);
    SpinEditNombre->SetValue(o.ThumbPageSize);
    SpinEditHauteur->SetValue(o.ThumbCellHeight);
    SpinEditLargeur->SetValue(o.ThumbCellWidth);
    CheckBoxNePasRedemander->setChecked(o.ThumbDontAsk);
}

void TFormopvignette::storeControls(DesktopOptions& o)
{
    o.ThumbFirst = SpinEditDe->Value();
    o.ThumbPageSize = SpinEditNombre->Value();
    o.ThumbCellHeight = SpinEditHauteur->Value();
    o.ThumbCellWidth = SpinEditLargeur->Value();
    o.ThumbDontAsk = CheckBoxNePasRedemander->isChecked();
}

void TFormopvignette::okAction()
{
    emit cellSizeChosen(desktopOptions().ThumbCellHeight, desktopOptions().ThumbCellWidth);
}

void TFormopvignette::ButtonToutesClick()
{
    SpinEditDe->SetValue(0);
    SpinEditNombre->SetValue(EntryCount());  // brought down to the limit by the field
}
