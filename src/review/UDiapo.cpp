#include "review/UDiapo.h"

#include "controller/ReviewController.h"
#include "settings/Options.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

TFormDiapo::TFormDiapo(ReviewController& review, QWidget* parent) : QWidget(parent, Qt::Window), review_(review)
{
    setObjectName(QStringLiteral("FormDiapo"));
    setWindowTitle(QStringLiteral("Diaporama"));
    // Every pixel is painted by paintEvent.
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&review_, &ReviewController::frameChanged, this, &TFormDiapo::showFrame);
}

const QImage& TFormDiapo::Picture() const { return review_.frame().picture; }

void TFormDiapo::showFrame()
{
    setWindowTitle(review_.frame().caption);
    // The picture must be on screen before the review goes on (slideshow tick, conversion step).
    repaint();
}

void TFormDiapo::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    review_.setDisplaySize(size());
}

QColor TFormDiapo::BackgroundColor() const
{
    return preview_ ? *preview_ : colorFromOptionValue(programOptions().SlideBackground);
}

void TFormDiapo::SetBackgroundPreview(const QColor& color)
{
    preview_ = color;
    repaint();
}

void TFormDiapo::ResetBackground()
{
    preview_.reset();
    repaint();
}

void TFormDiapo::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const SlideFrame& frame = review_.frame();
    const QImage& picture = frame.picture;
    const bool adapted = programOptions().SlidePosition == 1;
    const qreal dpr = devicePixelRatioF();
    // A stretched opaque picture covers every pixel; anything else shows the background somewhere.
    if (picture.isNull() || !adapted || picture.hasAlphaChannel())
        p.fillRect(rect(), BackgroundColor());
    if (picture.isNull())
        return;
    // A picture decoded ahead comes made ready for this window: then drawing is a plain copy.
    const bool ready = !frame.display.isNull() && dpr == 1.0 && frame.stretched == adapted
                       && (!adapted || frame.displaySize == size());
    if (adapted) {
        if (ready) {
            p.drawImage(QPoint(0, 0), frame.display);
            return;
        }
        // Stretched to the whole client area; the aspect ratio is not kept.
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(rect()), picture);
        return;
    }
    // Natural size: one picture pixel per device pixel, centred and cut at the edges.
    const QSizeF size = QSizeF(picture.size()) / dpr;
    if (dpr == 1.0) {
        const QImage& source = ready ? frame.display : picture;
        p.drawImage(QPoint((width() - picture.width()) / 2, (height() - picture.height()) / 2), source);
    } else {
        const QPointF topLeft((width() - size.width()) / 2, (height() - size.height()) / 2);
        p.drawImage(QRectF(topLeft, size), picture);
    }
}

void TFormDiapo::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    emit commandWindowToggleWanted();
}

void TFormDiapo::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        // The second press of a right double click acts like any right press.
        mousePressEvent(event);
        return;
    }
    SetFullScreen(!(isMaximized() || isFullScreen()));
}

void TFormDiapo::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TFormDiapo::FormActivate()
{
    // The display settings are the live ones from now on; a colour preview ends here.
    preview_.reset();
    update();
}

void TFormDiapo::SetFullScreen(bool on)
{
    preview_.reset();
    if (on) {
        QWidget* modal = QApplication::activeModalWidget();
        for (QWidget* w : QApplication::topLevelWidgets()) {
            const Qt::WindowType type = w->windowType();
            if (w == modal || type == Qt::Popup || type == Qt::ToolTip || type == Qt::Desktop)
                continue;
            if (w->isVisible())
                w->hide();
        }
        if (!(windowFlags() & Qt::FramelessWindowHint))
            setWindowFlag(Qt::FramelessWindowHint, true);
        showFullScreen();
        raise();
        activateWindow();
        return;
    }
    const bool wasVisible = isVisible();
    if (windowFlags() & Qt::FramelessWindowHint)
        setWindowFlag(Qt::FramelessWindowHint, false);  // hides the window
    setWindowState(windowState() & ~(Qt::WindowFullScreen | Qt::WindowMaximized | Qt::WindowMinimized));
    if (wasVisible)
        show();
    update();
    emit fullScreenLeft();
}
