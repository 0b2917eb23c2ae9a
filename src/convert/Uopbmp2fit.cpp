#include "convert/Uopbmp2fit.h"

#include "platform/Prompts.h"
#include "settings/URenommerGroup.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TFormOpBmp2Fit::TFormOpBmp2Fit(QWidget* parent) : TProgramOptionDialog(parent)
{
    setWindowTitle(QStringLiteral("Convertir BMP vers FIT:"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    layout->addLayout(top);

    auto* files = new QGroupBox(QString::fromUtf8("Créer les Fichiers:"), this);
    files->setObjectName(QStringLiteral("GroupBoxFichiers"));
    auto* filesLayout = new QGridLayout(files);
    auto check = [&](QWidget* owner, const char* name, const char* caption) {
        auto* c = new QCheckBox(QString::fromUtf8(caption), owner);
        c->setObjectName(QString::fromLatin1(name));
        return c;
    };
    CheckBoxRouge = check(files, "CheckBoxRouge", "Rouge");
    CheckBoxVert = check(files, "CheckBoxVert", "Vert");
    CheckBoxBleu = check(files, "CheckBoxBleu", "Bleu");
    CheckBoxGris = check(files, "CheckBoxGris", "Niveaux de Gris");
    SpeedButton1 = new QPushButton(QStringLiteral("Filtrage"), files);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setAutoDefault(false);
    connect(SpeedButton1, &QPushButton::clicked, this, &TFormOpBmp2Fit::SpeedButton1Click);
    filesLayout->addWidget(CheckBoxRouge, 0, 0);
    filesLayout->addWidget(CheckBoxVert, 1, 0);
    filesLayout->addWidget(CheckBoxBleu, 2, 0);
    filesLayout->addWidget(CheckBoxGris, 3, 0);
    filesLayout->addWidget(SpeedButton1, 3, 1);
    top->addWidget(files);

    auto* sizes = new QGroupBox(QString::fromUtf8("Créer Fichiers FIT:"), this);
    sizes->setObjectName(QStringLiteral("RadioGroupByteperPixel"));
    auto* sizesLayout = new QVBoxLayout(sizes);
    auto* group = new QButtonGroup(this);
    auto radio = [&](const char* name, const char* caption, int id) {
        auto* r = new QRadioButton(QString::fromUtf8(caption), sizes);
        r->setObjectName(QString::fromLatin1(name));
        group->addButton(r, id);
        sizesLayout->addWidget(r);
        return r;
    };
    Radio8 = radio("Radio8bits", "8 bits", 1);
    Radio16 = radio("Radio16bits", "16 bits", 2);
    Radio32 = radio("Radio32bits", "32 bits", 4);
    Radio8->setChecked(true);
    top->addWidget(sizes);

    CheckBoxVisu = check(this, "CheckBoxVisu", "Visu");
    layout->addWidget(CheckBoxVisu);

    GroupRenommer = new TRenommerGroup(false, this);
    layout->addWidget(GroupRenommer);

    addStandardButtons(layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFormOpBmp2Fit::fillControls(const ProgramOptions& o)
{
    CheckBoxRouge->setChecked(o.FitChannels & 1);
    CheckBoxVert->setChecked(o.FitChannels & 2);
    CheckBoxBleu->setChecked(o.FitChannels & 4);
    CheckBoxGris->setChecked(o.FitChannels & 8);
    (o.FitBytesPerPixel == 2 ? Radio16 : o.FitBytesPerPixel == 4 ? Radio32 : Radio8)->setChecked(true);
    CheckBoxVisu->setChecked(o.ShowConverted);
    GroupRenommer->fillControls(o);
}

void TFormOpBmp2Fit::storeControls(ProgramOptions& o)
{
    o.FitBytesPerPixel = Radio16->isChecked() ? 2 : Radio32->isChecked() ? 4 : 1;
    o.FitChannels = (CheckBoxRouge->isChecked() ? 1 : 0) + (CheckBoxVert->isChecked() ? 2 : 0)
                    + (CheckBoxBleu->isChecked() ? 4 : 0) + (CheckBoxGris->isChecked() ? 8 : 0);
    o.ShowConverted = CheckBoxVisu->isChecked();
    GroupRenommer->storeControls(o);
}

void TFormOpBmp2Fit::SpeedButton1Click() { emit balanceWanted(); }
