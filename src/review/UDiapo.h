#pragma once
// The slideshow window "Diaporama": one picture, centred at natural size or stretched to the whole
// window, in a normal window or full screen.
#include <QColor>
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <optional>

// The settings file's colour encoding: a value with the top bit set names a system colour (all are
// shown as the palette's window colour); otherwise the low byte is red, then green, then blue.
QColor colorFromOptionValue(uint32_t value);
uint32_t optionValueFromColor(const QColor& color);

class TFormDiapo : public QWidget {
    Q_OBJECT
public:
    explicit TFormDiapo(QWidget* parent = nullptr);

    // Shows the picture file at path and repaints before returning.
    // - Decoded: caption := path, the picture replaces the previous one.
    // - Unknown format or content that cannot be decoded: caption := "Impossible de Charger: " + path,
    //   the previous picture stays; still returns true (the caller goes on).
    // - The file cannot be read (missing, no access): the general error box is shown, the caption
    //   keeps the path, the previous picture stays, and false is returned: the calling operation
    //   (slideshow tick, move, conversion step) must stop there.
    bool ShowImage(const QString& path);

    // On: hides every window of the program, then shows this one borderless and full screen.
    // Off: normal frame and state, then the saved desktop comes back (Afficher Bureau Utilisateur).
    void SetFullScreen(bool on);

    // Background preview of the slideshow options' colour chooser, until ResetBackground.
    void SetBackgroundPreview(const QColor& color);
    // Back to the live SlideBackground, repainted.
    void ResetBackground();
    // The colour painted around the picture now.
    QColor BackgroundColor() const;
    // The picture on show (null before the first one).
    const QImage& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FormActivate();

    QImage picture_;
    std::optional<QColor> preview_;
};
