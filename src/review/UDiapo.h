#pragma once
// The slideshow window "Diaporama": one picture, centred at natural size or stretched to the whole
// window, in a normal window or full screen.
#include "review/SlideBackground.h"

#include <QColor>
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <optional>

class ReviewController;

// Draws the review's frame on show: its caption and its picture (a null picture shows only the
// background).
class TFormDiapo : public QWidget {
    Q_OBJECT
public:
    explicit TFormDiapo(ReviewController& review, QWidget* parent = nullptr);

    // On: hides every window of the program, then shows this one borderless and full screen.
    // Off: normal frame and state, then fullScreenLeft (the desktop layout is applied again).
    void SetFullScreen(bool on);

    // Background preview of the slideshow options' colour chooser, until ResetBackground.
    void SetBackgroundPreview(const QColor& color);
    // Back to the live SlideBackground, repainted.
    void ResetBackground();
    // The colour painted around the picture now.
    QColor BackgroundColor() const;
    // The picture on show (null when only the background is shown).
    const QImage& Picture() const;

signals:
    // Full screen was left: the windows go back to the desktop layout.
    void fullScreenLeft();
    // A right click: the command window is hidden or shown again.
    void commandWindowToggleWanted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormActivate();
    void showFrame();

    ReviewController& review_;
    std::optional<QColor> preview_;
};
