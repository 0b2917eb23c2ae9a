#pragma once
// The BMP to JPEG conversion options "Convertir BMP vers JPEG:": JPEG quality, "Visu", and the
// shared "Renommer:" group (base name kept as typed). Fields in ProgramOptions: WorkingCopy form.
#include "settings/UOptionDialog.h"

class QCheckBox;
class TRenommerGroup;

class TFormOpBmp2Jpeg : public TProgramOptionDialog {
    Q_OBJECT
public:
    explicit TFormOpBmp2Jpeg(QWidget* parent = nullptr);

protected:
    void fillControls(const ProgramOptions& o) override;
    void storeControls(ProgramOptions& o) override;

private:
    TSpinEdit* SpinEditQualite;
    QCheckBox* CheckBoxVisu;
    TRenommerGroup* GroupRenommer;
};
