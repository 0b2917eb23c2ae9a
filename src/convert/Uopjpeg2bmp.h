#pragma once
// The JPEG to BMP conversion options "Convertir JPEG vers Bmp:": only the shared "Renommer:" group
// (base name cut before its first "."). Fields in ProgramOptions: WorkingCopy form.
#include "settings/UOptionDialog.h"

class TRenommerGroup;

class TFormopJpeg2Bmp : public TProgramOptionDialog {
    Q_OBJECT
public:
    explicit TFormopJpeg2Bmp(QWidget* parent = nullptr);

protected:
    void fillControls(const ProgramOptions& o) override;
    void storeControls(ProgramOptions& o) override;

private:
    TRenommerGroup* GroupRenommer;
};
