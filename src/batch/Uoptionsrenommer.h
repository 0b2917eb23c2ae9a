#pragma once
// The rename/move options "Options Renommer:": the shared "Renommer:" group, with the base name
// stored cut before its first ".". Fields in ProgramOptions: WorkingCopy form.
#include "settings/UOptionDialog.h"

class TRenommerGroup;

class TFormOptionsRenommer : public TProgramOptionDialog {
    Q_OBJECT
public:
    explicit TFormOptionsRenommer(QWidget* parent = nullptr);

    TRenommerGroup* GroupRenommer;

protected:
    void fillControls(const ProgramOptions& o) override;
    void storeControls(ProgramOptions& o) override;
};
