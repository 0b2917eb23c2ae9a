#pragma once
// The slideshow window "Diaporama": one picture, centred or fitted, in a window or full screen.
#include <QWidget>

class TFormDiapo : public QWidget {
    Q_OBJECT
public:
    explicit TFormDiapo(QWidget* parent = nullptr);
    // Shows the picture file at path (caption := path; "Impossible de Charger: " + path when it
    // cannot be decoded, keeping the previous picture).
    void ShowImage(const QString& path);
    void SetFullScreen(bool on);
};
