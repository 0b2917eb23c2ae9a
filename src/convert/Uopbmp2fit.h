#pragma once
// The BMP to FITS conversion options window. Only its caption for now: it is created at start-up and
// shown from the menus; its controls come with the work that owns it.
#include <QDialog>

class TFormOpBmp2Fit : public QDialog {
    Q_OBJECT
public:
    explicit TFormOpBmp2Fit(QWidget* parent = nullptr);
};
