#include "settings/Uopglobales.h"

#include "settings/Options.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

TFormOpGlobales::TFormOpGlobales(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8("Options:"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto check = [&](const char* name, const char* caption) {
        auto* c = new QCheckBox(QString::fromUtf8(caption), this);
        c->setObjectName(QString::fromLatin1(name));
        layout->addWidget(c);
        return c;
    };
    CheckBoxAutoSave = check("CheckBoxAutoSave", "Enregistrement Auto du Bureau");
    CheckBoxListe = check("CheckBoxListe", "Affi Liste");
    CheckBoxVignettes = check("CheckBoxVignettes", "Affi Vignettes");
    CheckBoxDiaporama = check("CheckBoxDiaporama", "Affi Diaporama");
    CheckBoxZones = check("CheckBoxZones", "Affi Zônes");

    auto* scoreRow = new QHBoxLayout;
    auto* label = new QLabel(QString::fromUtf8("Score par Défaut:"), this);
    ComboBoxScore = new QComboBox(this);
    ComboBoxScore->setObjectName(QStringLiteral("ComboBoxScore"));
    ComboBoxScore->setEditable(true);
    ComboBoxScore->setInsertPolicy(QComboBox::NoInsert);
    ComboBoxScore->addItems({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")});
    label->setBuddy(ComboBoxScore);
    scoreRow->addWidget(label);
    scoreRow->addWidget(ComboBoxScore, 1);
    layout->addLayout(scoreRow);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("BitBtnOk"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Annuler"), this);
    cancel->setObjectName(QStringLiteral("BitBtnAnnuler"));
    cancel->setAutoDefault(false);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(ok, &QPushButton::clicked, this, &TFormOpGlobales::BitBtnOkClick);
    connect(cancel, &QPushButton::clicked, this, &TFormOpGlobales::BitBtnAnnulerClick);
}

void TFormOpGlobales::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormActivate();
}

void TFormOpGlobales::FormActivate()
{
    const DesktopOptions& d = desktopOptions();
    CheckBoxAutoSave->setChecked(d.AutoSaveDesktop);
    CheckBoxListe->setChecked(d.ShowList);
    CheckBoxVignettes->setChecked(d.ShowThumbnails);
    CheckBoxDiaporama->setChecked(d.ShowSlideshow);
    CheckBoxZones->setChecked(d.ShowZones);
    const char score = programOptions().DefaultScore;
    ComboBoxScore->setCurrentText(score ? QString(QChar(uchar(score))) : QString());
}

void TFormOpGlobales::BitBtnOkClick()
{
    DesktopOptions& d = desktopOptions();
    d.AutoSaveDesktop = CheckBoxAutoSave->isChecked();
    d.ShowList = CheckBoxListe->isChecked();
    d.ShowThumbnails = CheckBoxVignettes->isChecked();
    d.ShowSlideshow = CheckBoxDiaporama->isChecked();
    d.ShowZones = CheckBoxZones->isChecked();
    const QString text = ComboBoxScore->currentText();
    // The score is one byte of the settings file: a first character outside Latin-1 cannot be
    // kept, so it leaves the score as it was, like an empty text.
    if (!text.isEmpty() && text.at(0).unicode() != 0 && text.at(0).unicode() <= 0xFF)
        programOptions().DefaultScore = char(text.at(0).unicode());
    accept();
}

void TFormOpGlobales::BitBtnAnnulerClick() { reject(); }
