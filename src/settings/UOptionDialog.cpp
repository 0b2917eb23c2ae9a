#include "settings/UOptionDialog.h"

#include "settings/OptionsFile.h"

#include <QBoxLayout>
#include <QPushButton>
#include <QShowEvent>

TOptionDialog::TOptionDialog(QWidget* parent) : QDialog(parent)
{
    setModal(true);
}

void TOptionDialog::addStandardButtons(QBoxLayout* layout)
{
    auto* row = new QHBoxLayout;
    auto add = [&](const char* name, const QString& caption, void (TOptionDialog::*handler)()) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
        row->addWidget(b);
        return b;
    };
    add("BitBtnEnregistrer", QStringLiteral("Enregistrer"), &TOptionDialog::BitBtnEnregistrerClick);
    add("BitBtnCharger", QStringLiteral("Charger"), &TOptionDialog::BitBtnChargerClick);
    add("BitBtnDefaut", QString::fromUtf8("Défaut"), &TOptionDialog::BitBtnDefautClick);
    row->addStretch(1);
    add("BitBtnAnnuler", QStringLiteral("Annuler"), &TOptionDialog::BitBtnAnnulerClick);
    add("BitBtnOk", QStringLiteral("Ok"), &TOptionDialog::BitBtnOkClick)->setDefault(true);
    layout->addLayout(row);
}

void TOptionDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A spontaneous show is the window system restoring us, not the dialog coming up.
    if (!event->spontaneous())
        FormActivate();
}

void TOptionDialog::reject() { BitBtnAnnulerClick(); }

// ---- Form A ----

TProgramOptionDialog::TProgramOptionDialog(QWidget* parent) : TOptionDialog(parent) {}

void TProgramOptionDialog::FormActivate()
{
    workingCopy_ = programOptions();
    fillControls(programOptions());
}

void TProgramOptionDialog::BitBtnOkClick()
{
    storeControls(programOptions());
    done(QDialog::Accepted);
    okAction();
}

void TProgramOptionDialog::BitBtnAnnulerClick()
{
    fillControls(programOptions());
    done(QDialog::Rejected);
}

void TProgramOptionDialog::BitBtnEnregistrerClick()
{
    storeControls(workingCopy_);
    reportOptionsWrite(saveProgramOptions(workingCopy_));
}

void TProgramOptionDialog::BitBtnChargerClick()
{
    loadProgramOptions(workingCopy_);
    fillControls(workingCopy_);
}

void TProgramOptionDialog::BitBtnDefautClick()
{
    setDefaults(workingCopy_);
    fillControls(workingCopy_);
}

// ---- Form B ----

TDesktopOptionDialog::TDesktopOptionDialog(QWidget* parent) : TOptionDialog(parent) {}

void TDesktopOptionDialog::FormActivate() { fillControls(desktopOptions()); }

void TDesktopOptionDialog::BitBtnOkClick()
{
    storeControls(desktopOptions());
    done(QDialog::Accepted);
    okAction();
}

void TDesktopOptionDialog::BitBtnAnnulerClick() { done(QDialog::Rejected); }

void TDesktopOptionDialog::BitBtnEnregistrerClick()
{
    storeControls(desktopOptions());
    reportOptionsWrite(saveDesktopOptions(desktopOptions()));
}

void TDesktopOptionDialog::BitBtnChargerClick()
{
    loadDesktopOptions(desktopOptions());
    fillControls(desktopOptions());
}

void TDesktopOptionDialog::BitBtnDefautClick()
{
    setDesktopDefaults(desktopOptions());
    fillControls(desktopOptions());
}

// ---- Spin field ----

TSpinEdit::TSpinEdit(int minimum, int maximum, int step, int value, QWidget* parent) : QSpinBox(parent)
{
    setRange(minimum, maximum);
    setSingleStep(step);
    setValue(value);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

int TSpinEdit::interpret(const QString& text) const
{
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok);
    if (!ok)
        return minimum();
    return int(std::clamp<qlonglong>(v, minimum(), maximum()));
}

QValidator::State TSpinEdit::validate(QString& input, int&) const
{
    bool ok = false;
    const qlonglong v = input.trimmed().toLongLong(&ok);
    // Anything may stand in the field while it is edited; it is settled when read.
    return ok && v >= minimum() && v <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

void TSpinEdit::fixup(QString& input) const { input = QString::number(interpret(input)); }

int TSpinEdit::valueFromText(const QString& text) const { return interpret(text); }

int TSpinEdit::Value()
{
    interpretText();
    return value();
}

void TSpinEdit::SetValue(int v) { setValue(v); }
