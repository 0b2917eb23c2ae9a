#pragma once
// The JPEG to BMP conversion options window. Only its caption for now: it is created at start-up and
// shown from the menus; its controls come with the work that owns it.
#include <QDialog>

class TFormopJpeg2Bmp : public QDialog {
    Q_OBJECT
public:
    explicit TFormopJpeg2Bmp(QWidget* parent = nullptr);
};
