#pragma once
// The colour filtering dialog "Filtrage des Couleurs:": three sliders for the red, green and blue
// weights of the grey level, each colour's share in percent, "Défaut" for the usual luminance mix,
// and "Appliquer" to preview the confirmed mix on the slideshow's picture. "Ok" stores the weights
// into the live ProgramOptions; nothing is written to the file.
#include <QDialog>

class QLabel;
class QSlider;
class QPushButton;

class TFormBalance : public QDialog {
    Q_OBJECT
public:
    explicit TFormBalance(QWidget* parent = nullptr);

    void TrackBarChange();
    void BitBtnDefautClick();
    void BitBtnAppliquerClick();
    void BitBtnOkClick();
    void BitBtnAnnulerClick();

    QSlider* TrackBarR;
    QSlider* TrackBarV;
    QSlider* TrackBarB;
    QLabel* LabelR;
    QLabel* LabelV;
    QLabel* LabelB;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();
    void setPositions(int r, int g, int b);
};
