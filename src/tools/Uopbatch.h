#pragma once
// The frame extractor options window. Only its caption for now: it is created at start-up and
// shown from the menus; its controls come with the work that owns it.
#include <QDialog>

class TFormOpBatch : public QDialog {
    Q_OBJECT
public:
    explicit TFormOpBatch(QWidget* parent = nullptr);
};
