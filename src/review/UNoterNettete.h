#pragma once
// The dialog "Noter par Netteté:": the share of the sharpest frames to keep, as a percentage or a
// number of frames, and the score given to the others.
#include "review/SharpnessResults.h"

#include <QDialog>

#include <optional>

class QComboBox;
class TSpinEdit;

class TFormNoterNettete : public QDialog {
    Q_OBJECT
public:
    explicit TFormNoterNettete(QWidget* parent = nullptr);

    // Shows the dialog (through prompts()); the answer, or nothing when it was cancelled. The
    // score offered is 0, and no more than MaxScore can be given.
    std::optional<SharpnessScoring> Ask();

    TSpinEdit* SpinEditGarder() const { return spinGarder_; }
    QComboBox* ComboBoxUnite() const { return comboUnite_; }
    TSpinEdit* SpinEditScore() const { return spinScore_; }

private:
    TSpinEdit* spinGarder_;
    QComboBox* comboUnite_;
    TSpinEdit* spinScore_;
};
