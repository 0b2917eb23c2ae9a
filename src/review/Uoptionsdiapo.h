#pragma once
// The slideshow options "Options Diaporama:" (waits, fast step, loop, full screen, position and
// background colour of the slideshow window). Fields in ProgramOptions: WorkingCopy form.
#include "settings/UOptionDialog.h"

#include <QColor>
#include <cstdint>

class QCheckBox;
class QRadioButton;
class QPushButton;

class TFormOptionsDiapo : public TProgramOptionDialog {
    Q_OBJECT
public:
    explicit TFormOptionsDiapo(QWidget* parent = nullptr);

    // "Couleur du Fond": the colour chooser on the current colour; a confirmed colour is previewed
    // in the slideshow window and reaches a record only when the controls are stored.
    void BitBtnCouleurClick();

signals:
    // The slideshow window previews a background colour, or shows the live one again.
    void backgroundPreviewed(const QColor& color);
    void backgroundReset();
    // "Ok": the slideshow window goes full screen or leaves it, as the options now say.
    void fullScreenChosen(bool on);

protected:
    void fillControls(const ProgramOptions& o) override;
    void storeControls(ProgramOptions& o) override;
    void okAction() override;

private:
    TSpinEdit* SpinEditCourte;
    TSpinEdit* SpinEditLongue;
    TSpinEdit* SpinEditRapide;
    QCheckBox* CheckBoxBoucle;
    QCheckBox* CheckBoxPleinEcran;
    QRadioButton* RadioCentree;
    QRadioButton* RadioAdaptee;
    QPushButton* BitBtnCouleur;
    uint32_t Couleur = 0;  // in the settings file's encoding, so a system colour stays one
};
