#pragma once
// "Options Batch": where the frame extractor lives and whether "Vidsplit..." asks first. OK stores
// into the live ExtractorOptions only; the file gets them with "Enregistrer Bureau".
#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TFormOpBatch : public QDialog {
    Q_OBJECT
public:
    explicit TFormOpBatch(QWidget* parent = nullptr);

    void BitBtnOkClick();
    void BitBtnAnnulerClick();
    // "Parcourir...": the directory chooser; its directory goes into the box when it ends with OK.
    void BitBtnParcourirClick();

    QLabel* LabelRep = nullptr;
    QLineEdit* EditRep = nullptr;
    QPushButton* BitBtnParcourir = nullptr;
    QCheckBox* CheckBoxNePasRedemander = nullptr;
    QPushButton* BitBtnOk = nullptr;
    QPushButton* BitBtnAnnuler = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();
};
