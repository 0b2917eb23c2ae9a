#include "review/Uref.h"

#include <QPainter>

TFormRef::TFormRef(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QString::fromUtf8("Image de Référence"));
}

void TFormRef::setPicture(const QImage& image)
{
    picture_ = image;
    resize(std::max(image.width(), 100), std::max(image.height(), 100));
    update();
}

void TFormRef::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    if (!picture_.isNull())
        p.drawImage(QPoint(0, 0), picture_);
}
