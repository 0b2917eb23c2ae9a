#pragma once
// The group "Renommer:" that the rename options and the conversion options share: batch renaming
// with a base name, and moving into a target directory chosen with the directory chooser. It edits
// RenameByBatch, BatchName, MoveToTarget and TargetDirectory.
#include <QGroupBox>

struct ProgramOptions;
class QCheckBox;
class QLineEdit;
class QPushButton;

class TRenommerGroup : public QGroupBox {
    Q_OBJECT
public:
    // cutAtDot: whether the base name is stored cut before its first ".".
    TRenommerGroup(bool cutAtDot, QWidget* parent = nullptr);

    void fillControls(const ProgramOptions& o);
    void storeControls(ProgramOptions& o) const;

    // "Parcourir...": the directory chooser; when it ends with OK its directory goes into the edit box.
    void BitBtnParcourirClick();

    QCheckBox* CheckBoxRenommer;
    QLineEdit* EditNomLot;
    QCheckBox* CheckBoxRep;
    QPushButton* BitBtnParcourir;
    QLineEdit* EditNomREp;

private:
    bool cutAtDot_;
};
