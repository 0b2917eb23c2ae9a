#pragma once
// The sort-by-zone options window. Only its caption for now: it is created at start-up and
// shown from the menus; its controls come with the work that owns it.
#include <QDialog>

class TFormopTrierZone : public QDialog {
    Q_OBJECT
public:
    explicit TFormopTrierZone(QWidget* parent = nullptr);
};
