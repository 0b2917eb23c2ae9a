#pragma once
// The sort-by-zone options "Options Trier par Zones dans Sous Répertoire:": the group "Déplacer:"
// with the base directory under which the Zone folders go. Fields in ProgramOptions
// (SortMoveToBase, SortBaseDirectory): WorkingCopy form.
#include "settings/UOptionDialog.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

class TFormopTrierZone : public TProgramOptionDialog {
    Q_OBJECT
public:
    explicit TFormopTrierZone(QWidget* parent = nullptr);

    // "Parcourir...": the directory chooser; when it ends with OK its directory goes into the edit box.
    void BitBtnParcourirClick();

    QCheckBox* CheckBoxRep;
    QLineEdit* EditNomREpBase;
    QPushButton* BitBtnParcourir;

protected:
    void fillControls(const ProgramOptions& o) override;
    void storeControls(ProgramOptions& o) override;
};
