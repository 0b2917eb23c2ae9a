#pragma once
#include <QDialog>

class TFormopzone : public QDialog {
    Q_OBJECT
public:
    explicit TFormopzone(QWidget* parent = nullptr);
};
