#pragma once
// The BMP to FITS conversion options "Convertir BMP vers FIT:": the channel files to create (with
// "Filtrage" for the grey weights), the sample size, "Visu", and the shared "Renommer:" group (base
// name kept as typed). Fields in ProgramOptions: WorkingCopy form.
#include "settings/UOptionDialog.h"

class QCheckBox;
class QRadioButton;
class QPushButton;
class TRenommerGroup;

class TFormOpBmp2Fit : public TProgramOptionDialog {
    Q_OBJECT
public:
    explicit TFormOpBmp2Fit(QWidget* parent = nullptr);

    // "Filtrage": asks for the colour filtering dialog, shown modally; it edits the live grey
    // weights itself.
    void SpeedButton1Click();

signals:
    void balanceWanted();

protected:
    void fillControls(const ProgramOptions& o) override;
    void storeControls(ProgramOptions& o) override;

private:
    QCheckBox* CheckBoxRouge;
    QCheckBox* CheckBoxVert;
    QCheckBox* CheckBoxBleu;
    QCheckBox* CheckBoxGris;
    QPushButton* SpeedButton1;
    QRadioButton* Radio8;   // items of RadioGroupByteperPixel
    QRadioButton* Radio16;
    QRadioButton* Radio32;
    QCheckBox* CheckBoxVisu;
    TRenommerGroup* GroupRenommer;
};
