#pragma once
// The help viewer "Aide": the help file shown read-only in a fixed-pitch font, wrapped to the
// window's width with a vertical scroll bar only, "Imprimer.." and "Fermer" below it.
#include <QDialog>

#include <memory>

class QPlainTextEdit;
class QPrinter;
class QPushButton;

class TCnvHlp : public QDialog {
    Q_OBJECT
public:
    explicit TCnvHlp(QWidget* parent = nullptr);
    ~TCnvHlp() override;

    // Reads baseName + ".HLP" afresh into the text, puts the viewer back to its normal state and
    // shows it modally. When the file cannot be read: the error box, and the viewer is not shown.
    void AfficherAide(const QString& baseName);

    // "Imprimer..": the print dialog, then one page of the help text for each copy asked for.
    void ImprimerClick();
    // The printer of this window, made on first use and kept with its settings.
    QPrinter& Printer();

    QPlainTextEdit* Memo = nullptr;
    QPushButton* BitBtnImprimer = nullptr;
    QPushButton* BitBtnFermer = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<QPrinter> printer_;
};
