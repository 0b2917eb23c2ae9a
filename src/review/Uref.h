#pragma once
// "Image de Référence": a good frame kept in view beside the ones under review, at natural size
// from the top-left corner.
#include <QImage>
#include <QWidget>

class TFormRef : public QWidget {
    Q_OBJECT
public:
    explicit TFormRef(QWidget* parent = nullptr);
    // Shows the picture; the client area becomes max(picture, 100) each way.
    void setPicture(const QImage& image);
    const QImage& picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QImage picture_;
};
