#pragma once
#include <QDialog>

class TRepDialog : public QDialog {
    Q_OBJECT
public:
    explicit TRepDialog(QWidget* parent = nullptr);
};
