#pragma once
// The dialog "Noter par Netteté:": the share of the sharpest frames to keep, as a percentage or a
// number of frames, the score they get and the score given to the others.
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
    // scores offered are 1 for the best frames and 0 for the others, and no more than MaxScore can
    // be given. "Ok" with one score for both is refused with a message; the dialog stays.
    std::optional<SharpnessScoring> Ask();
    void BitBtnOkClick();

    TSpinEdit* SpinEditGarder() const { return spinGarder_; }
    QComboBox* ComboBoxUnite() const { return comboUnite_; }
    TSpinEdit* SpinEditScoreMeilleures() const { return spinMeilleures_; }
    TSpinEdit* SpinEditScore() const { return spinScore_; }

private:
    SharpnessScoring answer() const;

    TSpinEdit* spinGarder_;
    QComboBox* comboUnite_;
    TSpinEdit* spinMeilleures_;
    TSpinEdit* spinScore_;
};
