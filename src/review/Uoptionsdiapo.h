#pragma once
#include <QDialog>

class TFormOptionsDiapo : public QDialog {
    Q_OBJECT
public:
    explicit TFormOptionsDiapo(QWidget* parent = nullptr);
};
