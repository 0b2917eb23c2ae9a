#pragma once
// The rename/move options window. Only its caption for now: it is created at start-up and
// shown from the menus; its controls come with the work that owns it.
#include <QDialog>

class TFormOptionsRenommer : public QDialog {
    Q_OBJECT
public:
    explicit TFormOptionsRenommer(QWidget* parent = nullptr);
};
