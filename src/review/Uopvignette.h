#pragma once
#include <QDialog>

class TFormopvignette : public QDialog {
    Q_OBJECT
public:
    explicit TFormopvignette(QWidget* parent = nullptr);
};
