#pragma once
// The zone options "Options Zones:": the cell size of the zone window. Fields in DesktopOptions,
// edited live.
#include "settings/UOptionDialog.h"

class TFormopzone : public TDesktopOptionDialog {
    Q_OBJECT
public:
    explicit TFormopzone(QWidget* parent = nullptr);

signals:
    // "Ok": the zone cells take the confirmed size.
    void cellSizeChosen(int height, int width);

protected:
    void fillControls(const DesktopOptions& o) override;
    void storeControls(DesktopOptions& o) override;
    void okAction() override;

private:
    TSpinEdit* SpinEditHauteur;
    TSpinEdit* SpinEditLargeur;
};
