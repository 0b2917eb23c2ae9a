#pragma once
#include <QDialog>

class TFormOpGlobales : public QDialog {
    Q_OBJECT
public:
    explicit TFormOpGlobales(QWidget* parent = nullptr);
};
