#pragma once
// The thumbnail options "Options Vignettes:": which entries the next page shows and the cell size.
// Fields in DesktopOptions, edited live.
#include "settings/UOptionDialog.h"

#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

class TFormopvignette : public TDesktopOptionDialog {
    Q_OBJECT
public:
    explicit TFormopvignette(QWidget* parent = nullptr);

    // "Toutes..": the page from the first entry, as long as the limit allows.
    void ButtonToutesClick();
    // Where the number of entries of the list comes from.
    void setEntryCount(std::function<int()> count) { entryCount_ = std::move(count); }

signals:
    // "Ok": the thumbnail cells take the confirmed size.
    void cellSizeChosen(int height, int width);

protected:
    void fillControls(const DesktopOptions& o) override;
    void storeControls(DesktopOptions& o) override;
    void okAction() override;

private:
    int EntryCount() const;
    std::function<int()> entryCount_;

    QLabel* LabelTitreNombre;
    QLabel* LabelNombre;
    QGroupBox* GroupBoxCreation;
    TSpinEdit* SpinEditDe;
    TSpinEdit* SpinEditNombre;
    QPushButton* ButtonToutes;
    TSpinEdit* SpinEditHauteur;
    TSpinEdit* SpinEditLargeur;
    QCheckBox* CheckBoxNePasRedemander;
};
