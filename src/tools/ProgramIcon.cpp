#include "tools/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>

const int kProgramIconSizes[6] = {16, 32, 48, 64, 128, 256};

QImage drawProgramIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);  // drawn on a 64 × 64 grid

    // The night sky.
    QPainterPath sky;
    sky.addRoundedRect(QRectF(1, 1, 62, 62), 10, 10);
    QLinearGradient night(0, 0, 0, 64);
    night.setColorAt(0, QColor(18, 24, 64));
    night.setColorAt(1, QColor(4, 6, 24));
    p.fillPath(sky, night);

    // A few stars.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 230));
    const QPointF stars[] = {{10, 12}, {52, 9}, {56, 40}, {8, 50}, {22, 7}, {46, 56}};
    for (int i = 0; i < 6; ++i)
        p.drawEllipse(stars[i], i < 3 ? 1.6 : 1.0, i < 3 ? 1.6 : 1.0);

    // The planet, lit from the upper left, and its ring: the back half of the ring behind the disc,
    // the front half over it.
    const QPointF centre(32, 34);
    const QRectF ring(centre.x() - 27, centre.y() - 8, 54, 16);
    const QPen ringPen(QColor(230, 200, 140), 3.2);
    // One half of the ring, tilted: from startDegrees over 180 degrees.
    auto ringHalf = [&](int startDegrees) {
        p.save();
        p.translate(centre);
        p.rotate(-18);
        p.translate(-centre);
        p.setBrush(Qt::NoBrush);
        p.setPen(ringPen);
        p.drawArc(ring, startDegrees * 16, 180 * 16);
        p.restore();
    };
    ringHalf(0);

    QRadialGradient lit(QPointF(25, 26), 22);
    lit.setColorAt(0, QColor(255, 214, 150));
    lit.setColorAt(0.6, QColor(214, 140, 60));
    lit.setColorAt(1, QColor(120, 64, 24));
    p.setPen(Qt::NoPen);
    p.setBrush(lit);
    p.drawEllipse(centre, 15, 15);

    ringHalf(180);
    p.end();
    return image;
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : kProgramIconSizes)
        icon.addPixmap(QPixmap::fromImage(drawProgramIcon(size)));
    return icon;
}
