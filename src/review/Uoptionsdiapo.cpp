#include "review/Uoptionsdiapo.h"

#include "platform/Prompts.h"
#include "review/SlideBackground.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TFormOptionsDiapo::TFormOptionsDiapo(QWidget* parent) : TProgramOptionDialog(parent)
{
    setWindowTitle(QStringLiteral("Options Diaporama:"));

    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Diaporama"), this);
    group->setObjectName(QStringLiteral("GroupBoxDiaporama"));
    layout->addWidget(group);
    auto* groupLayout = new QVBoxLayout(group);

    auto* fields = new QFormLayout;
    auto spin = [&](const char* name, const char* caption, int lo, int hi, int step, int value) {
        auto* s = new TSpinEdit(lo, hi, step, value, group);
        s->setObjectName(QString::fromLatin1(name));
        fields->addRow(QString::fromUtf8(caption), s);
        return s;
    };
    SpinEditCourte = spin("SpinEditCourte", "Attente Courte (ms):", 0, 5000, 500, 500);
    SpinEditLongue = spin("SpinEditLongue", "Attente Longue (ms):", 0, 5000, 500, 1500);
    SpinEditRapide = spin("SpinEditRapide", "Increment Rapide:", 1, 100, 1, 3);
    groupLayout->addLayout(fields);

    CheckBoxBoucle = new QCheckBox(QStringLiteral("Boucle"), group);
    CheckBoxBoucle->setObjectName(QStringLiteral("CheckBoxBoucle"));
    CheckBoxPleinEcran = new QCheckBox(QStringLiteral("Plein Ecran"), group);
    CheckBoxPleinEcran->setObjectName(QStringLiteral("CheckBoxPleinEcran"));
    groupLayout->addWidget(CheckBoxBoucle);
    groupLayout->addWidget(CheckBoxPleinEcran);

    auto* position = new QGroupBox(QStringLiteral("Position:"), group);
    position->setObjectName(QStringLiteral("RadioGroupPosition"));
    auto* positionLayout = new QGridLayout(position);
    RadioCentree = new QRadioButton(QString::fromUtf8("Centrée"), position);
    RadioCentree->setObjectName(QStringLiteral("RadioCentree"));
    RadioAdaptee = new QRadioButton(QString::fromUtf8("Adaptée"), position);
    RadioAdaptee->setObjectName(QStringLiteral("RadioAdaptee"));
    positionLayout->addWidget(RadioCentree, 0, 0);
    positionLayout->addWidget(RadioAdaptee, 0, 1);
    auto* positions = new QButtonGroup(this);
    positions->addButton(RadioCentree, 0);
    positions->addButton(RadioAdaptee, 1);
    RadioCentree->setChecked(true);
    groupLayout->addWidget(position);

    BitBtnCouleur = new QPushButton(QStringLiteral("Couleur du Fond"), group);
    BitBtnCouleur->setObjectName(QStringLiteral("BitBtnCouleur"));
    BitBtnCouleur->setAutoDefault(false);
    connect(BitBtnCouleur, &QPushButton::clicked, this, &TFormOptionsDiapo::BitBtnCouleurClick);
    groupLayout->addWidget(BitBtnCouleur);

    addStandardButtons(layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFormOptionsDiapo::fillControls(const ProgramOptions& o)
{
    SpinEditCourte->SetValue(o.ShortWait);
    SpinEditLongue->SetValue(o.LongWait);
    SpinEditRapide->SetValue(o.FastStep);
    (o.SlidePosition == 1 ? RadioAdaptee : RadioCentree)->setChecked(true);
    CheckBoxBoucle->setChecked(o.SlideLoop);
    CheckBoxPleinEcran->setChecked(o.SlideFullScreen);
    Couleur = o.SlideBackground;
    // Whatever was previewed, the slideshow window shows the live colour again.
    emit backgroundReset();
}

void TFormOptionsDiapo::storeControls(ProgramOptions& o)
{
    o.ShortWait = SpinEditCourte->Value();
    o.LongWait = SpinEditLongue->Value();
    o.FastStep = SpinEditRapide->Value();
    o.SlidePosition = RadioAdaptee->isChecked() ? 1 : 0;
    o.SlideLoop = CheckBoxBoucle->isChecked();
    o.SlideFullScreen = CheckBoxPleinEcran->isChecked();
    o.SlideBackground = Couleur;
    o.SlideInterval = o.ShortWait;
}

void TFormOptionsDiapo::okAction()
{
    emit fullScreenChosen(programOptions().SlideFullScreen);
}

void TFormOptionsDiapo::BitBtnCouleurClick()
{
    const std::optional<QColor> chosen = prompts().chooseColor(colorFromOptionValue(Couleur));
    if (!chosen)
        return;
    Couleur = optionValueFromColor(*chosen);
    emit backgroundPreviewed(*chosen);
}
