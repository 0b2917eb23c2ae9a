#pragma once
// The help text viewer window. Only its caption for now: it is created at start-up and
// shown from the menus; its controls come with the work that owns it.
#include <QDialog>

class TCnvHlp : public QDialog {
    Q_OBJECT
public:
    explicit TCnvHlp(QWidget* parent = nullptr);
};
