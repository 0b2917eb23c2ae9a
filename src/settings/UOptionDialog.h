#pragma once
// The common behaviour of the option dialogs that carry "Enregistrer", "Charger", "Défaut",
// "Annuler" and "Ok". A dialog only declares its controls and says how to fill them from a record
// and how to store them into one; the buttons do the rest.
//
// Two forms, by the settings block that holds the dialog's fields:
//  - TProgramOptionDialog (block 1, ProgramOptions): works on a private WorkingCopy. "Ok" stores
//    into the live record; "Enregistrer", "Charger" and "Défaut" touch only the WorkingCopy and the
//    file, never the live record.
//  - TDesktopOptionDialog (block 2, DesktopOptions): works on the live record directly.
// "Enregistrer", "Charger" and "Défaut" never close the dialog; "Ok" and "Annuler" do.
//
// Activation is the dialog coming up (showEvent). Closing with Escape or the window's close button
// counts as "Annuler".
#include "settings/Options.h"

#include <QDialog>
#include <QSpinBox>

class QBoxLayout;
class QPushButton;

class TOptionDialog : public QDialog {
    Q_OBJECT
public:
    // The button handlers, callable directly as the buttons do.
    virtual void BitBtnOkClick() = 0;
    virtual void BitBtnAnnulerClick() = 0;
    virtual void BitBtnEnregistrerClick() = 0;
    virtual void BitBtnChargerClick() = 0;
    virtual void BitBtnDefautClick() = 0;

    void reject() override;

protected:
    explicit TOptionDialog(QWidget* parent = nullptr);

    // Adds the standard row "Enregistrer", "Charger", "Défaut", "Annuler", "Ok" (object names
    // BitBtnEnregistrer, BitBtnCharger, BitBtnDefaut, BitBtnAnnuler, BitBtnOk) at the end of layout.
    // "Ok" is the default button.
    void addStandardButtons(QBoxLayout* layout);

    void showEvent(QShowEvent* event) override;
    // Called each time the dialog comes up.
    virtual void FormActivate() = 0;

    // Escape and the window's close button go through reject(), hence through BitBtnAnnulerClick.
};

// Form A: fields in ProgramOptions.
class TProgramOptionDialog : public TOptionDialog {
    Q_OBJECT
public:
    void BitBtnOkClick() override;
    void BitBtnAnnulerClick() override;
    void BitBtnEnregistrerClick() override;
    void BitBtnChargerClick() override;
    void BitBtnDefautClick() override;

    const ProgramOptions& WorkingCopy() const { return workingCopy_; }

protected:
    explicit TProgramOptionDialog(QWidget* parent = nullptr);

    virtual void fillControls(const ProgramOptions& o) = 0;
    virtual void storeControls(ProgramOptions& o) = 0;
    // The dialog's own step after "Ok" has stored into the live record (the dialog is closed by then).
    virtual void okAction() {}

    void FormActivate() override;

private:
    ProgramOptions workingCopy_;
};

// Form B: fields in DesktopOptions.
class TDesktopOptionDialog : public TOptionDialog {
    Q_OBJECT
public:
    void BitBtnOkClick() override;
    void BitBtnAnnulerClick() override;
    void BitBtnEnregistrerClick() override;
    void BitBtnChargerClick() override;
    void BitBtnDefautClick() override;

protected:
    explicit TDesktopOptionDialog(QWidget* parent = nullptr);

    virtual void fillControls(const DesktopOptions& o) = 0;
    virtual void storeControls(DesktopOptions& o) = 0;
    // Applies the stored options to the page window after "Ok" (the dialog is closed by then).
    virtual void okAction() {}

    void FormActivate() override;
};

// The spin field of the option dialogs. Any text may be typed; when it is read (on losing the focus,
// on Enter, or by Value()) a number outside the range is brought to the nearest bound and text that
// is not a number reads as the lower bound.
class TSpinEdit : public QSpinBox {
    Q_OBJECT
public:
    TSpinEdit(int minimum, int maximum, int step, int value, QWidget* parent = nullptr);
    // The field's value after reading what is typed in it.
    int Value();
    void SetValue(int v);

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    int valueFromText(const QString& text) const override;

private:
    int interpret(const QString& text) const;
};
