#pragma once
// The global options dialog "Options:": desktop flags and the default score. OK stores into the
// live records; nothing is written to the settings file.
#include <QDialog>

class QCheckBox;
class QComboBox;

class TFormOpGlobales : public QDialog {
    Q_OBJECT
public:
    explicit TFormOpGlobales(QWidget* parent = nullptr);

    void BitBtnOkClick();
    void BitBtnAnnulerClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();

    QCheckBox* CheckBoxAutoSave;
    QCheckBox* CheckBoxListe;
    QCheckBox* CheckBoxVignettes;
    QCheckBox* CheckBoxDiaporama;
    QCheckBox* CheckBoxZones;
    QComboBox* ComboBoxScore;
};
