#pragma once
// The about box "A propos": the program's icon, its name and version in bold, two lines about its
// makers, two comment lines and "OK". Fixed size, centred on the screen.
#include <QDialog>

class QLabel;
class QPushButton;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;
    QLabel* Maker = nullptr;
    QLabel* Comments = nullptr;
    QLabel* Comments2 = nullptr;
    QPushButton* OKButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};
