#pragma once
// The dialogs of the star commands: "Trier par:" (the measure and the direction) and "Noter par
// Critères:" (the rules, the two scores, and how many frames each rule would reject, shown before
// anything is written).
#include "controller/StarCommands.h"

#include <QDialog>

#include <array>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class TSpinEdit;

class TFormTrierPar : public QDialog {
    Q_OBJECT
public:
    explicit TFormTrierPar(QWidget* parent = nullptr);
    // Shows the dialog (through prompts()); nothing when it was cancelled.
    std::optional<SortChoice> Ask();

    QComboBox* ComboBoxMesure() const { return mesure_; }
    QComboBox* ComboBoxSens() const { return sens_; }

private:
    QComboBox* mesure_;
    QComboBox* sens_;
};

class TFormNoterCriteres : public QDialog {
    Q_OBJECT
public:
    explicit TFormNoterCriteres(QWidget* parent = nullptr);
    // Shows the dialog over the series' measures; nothing when it was cancelled. "Ok" with one
    // score for both is refused with a message; the dialog stays.
    std::optional<StarCriteria> Ask(const std::vector<const StarMetrics*>& measures);
    void BitBtnOkClick();

    QCheckBox* CheckBoxRegle(int rule) const { return checks_[size_t(rule)]; }
    QDoubleSpinBox* SpinRegle(int rule) const { return values_[size_t(rule)]; }
    TSpinEdit* SpinEditRejet() const { return rejet_; }
    TSpinEdit* SpinEditGarde() const { return garde_; }
    QLabel* LabelCompte() const { return compte_; }

private:
    StarCriteria answer() const;
    void recount();

    std::array<QCheckBox*, kStarRuleCount> checks_{};
    std::array<QDoubleSpinBox*, kStarRuleCount> values_{};
    std::array<QLabel*, kStarRuleCount> counts_{};
    TSpinEdit* rejet_;
    TSpinEdit* garde_;
    QLabel* compte_;
    std::vector<const StarMetrics*> measures_;
};
