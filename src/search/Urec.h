#pragma once
// The search and sort window window. Only its caption for now: it is created at start-up and
// shown from the menus; its controls come with the work that owns it.
#include <QDialog>

class TFormRec : public QDialog {
    Q_OBJECT
public:
    explicit TFormRec(QWidget* parent = nullptr);
};
