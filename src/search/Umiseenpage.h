#pragma once
// The page set-up of the search window's printing: a sample text in the chosen font, the font
// choice, the printer set-up, and "OK", "Annuler" or "Imprimer..".
#include <QDialog>
#include <QFont>

class QLabel;
class QPrinter;
class QPushButton;

class TFormMiseEnPage : public QDialog {
    Q_OBJECT
public:
    // Ending with "Imprimer..": the caller prints after taking the font. "OK" ends with 1 (Accepted).
    static constexpr int kPrintResult = 255;

    explicit TFormMiseEnPage(QPrinter* printer, QWidget* parent = nullptr);

    // The font the sample, the font chooser and the name label start from.
    void SetFonte(const QFont& font);
    QFont Fonte() const { return font_; }

    void FonteClick();
    void ImprimanteClick();

    QLabel* Sample = nullptr;
    QLabel* FontName = nullptr;
    QPushButton* FontButton = nullptr;
    QPushButton* PrinterButton = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* PrintButton = nullptr;

private:
    QPrinter* printer_;
    QFont font_;
};
