#pragma once
// The colour filtering (grey-level weights) window. Only its caption for now: it is created at start-up and
// shown from the menus; its controls come with the work that owns it.
#include <QDialog>

class TFormBalance : public QDialog {
    Q_OBJECT
public:
    explicit TFormBalance(QWidget* parent = nullptr);
};
