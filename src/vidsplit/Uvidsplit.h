#pragma once
// The extractor's window "Vidsplit": a video, a directory, a range of frames, a preview of the first
// frame of the range, "Extraire" with a progress bar and the rate, Escape or "Arrêter" to stop.
// The work is done by Extraction; this window only gathers its options and shows its progress.
#include "vidsplit/Extraction.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

class TFormVidsplit : public QWidget {
    Q_OBJECT
public:
    // listFile: the list the frames are added to (empty: a new list beside the frames).
    explicit TFormVidsplit(const QString& listFile, QWidget* parent = nullptr);

    // The options the controls hold.
    ExtractOptions options() const;
    bool running() const { return extraction_ != nullptr; }
    // What the last extraction did.
    const ExtractResult& lastResult() const { return lastResult_; }

    void VideoBrowseClick();
    void DirectoryBrowseClick();
    void ExtraireClick();
    void ArreterClick();
    void UpdatePreview();

    QLabel* ListLabel = nullptr;
    QLineEdit* VideoEdit = nullptr;
    QPushButton* VideoBrowseButton = nullptr;
    QLineEdit* DirectoryEdit = nullptr;
    QPushButton* DirectoryBrowseButton = nullptr;
    QSpinBox* FirstSpin = nullptr;
    QSpinBox* CountSpin = nullptr;  // 0: every frame to the end
    QCheckBox* GreyCheck = nullptr;
    QComboBox* ByteOrderCombo = nullptr;
    QLabel* Preview = nullptr;
    QPushButton* ExtraireButton = nullptr;
    QPushButton* ArreterButton = nullptr;
    QProgressBar* Progress = nullptr;
    QLabel* RateLabel = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showProgress(const ExtractProgress& p);

    QString listFile_;
    Extraction* extraction_ = nullptr;
    ExtractResult lastResult_;
};
