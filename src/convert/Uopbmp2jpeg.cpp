#include "convert/Uopbmp2jpeg.h"

#include "settings/URenommerGroup.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

TFormOpBmp2Jpeg::TFormOpBmp2Jpeg(QWidget* parent) : TProgramOptionDialog(parent)
{
    setWindowTitle(QStringLiteral("Convertir BMP vers JPEG:"));

    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Conversion JPEG:"), this);
    group->setObjectName(QStringLiteral("GroupBoxJpeg"));
    auto* fields = new QFormLayout(group);
    SpinEditQualite = new TSpinEdit(0, 100, 5, 100, group);
    SpinEditQualite->setObjectName(QStringLiteral("SpinEditQualite"));
    fields->addRow(QString::fromUtf8("Qualité JPEG:"), SpinEditQualite);
    CheckBoxVisu = new QCheckBox(QStringLiteral("Visu"), group);
    CheckBoxVisu->setObjectName(QStringLiteral("CheckBoxVisu"));
    fields->addRow(CheckBoxVisu);
    layout->addWidget(group);

    GroupRenommer = new TRenommerGroup(false, this);
    layout->addWidget(GroupRenommer);

    addStandardButtons(layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFormOpBmp2Jpeg::fillControls(const ProgramOptions& o)
{
    SpinEditQualite->SetValue(o.JpegQuality);
    CheckBoxVisu->setChecked(o.ShowConverted);
    GroupRenommer->fillControls(o);
}

void TFormOpBmp2Jpeg::storeControls(ProgramOptions& o)
{
    o.JpegQuality = SpinEditQualite->Value();
    o.ShowConverted = CheckBoxVisu->isChecked();
    GroupRenommer->storeControls(o);
}
