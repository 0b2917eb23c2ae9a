#include "review/UDiapo.h"

#include "app/Ucommande.h"
#include "app/Windows.h"
#include "platform/EventPump.h"
#include "platform/Picture.h"
#include "platform/Prompts.h"
#include "settings/Options.h"

#include <QApplication>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

QColor colorFromOptionValue(uint32_t value)
{
    if (value & 0x80000000u)
        return QGuiApplication::palette().color(QPalette::Window);
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

uint32_t optionValueFromColor(const QColor& color)
{
    const QColor c = color.toRgb();
    return uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16);
}

namespace {

// The general error box text for a picture file that cannot be read at all.
QString unreadableText(const QString& path, const QString& reason)
{
    const QFileInfo info(path);
    QString why;
    if (!info.exists())
        why = QString::fromUtf8("Le fichier spécifié est introuvable.");
    else if (info.isDir())
        why = QString::fromUtf8("Le chemin désigne un répertoire.");
    else if (!info.isReadable())
        why = QString::fromUtf8("Accès refusé.");
    else
        why = reason;
    return QString::fromUtf8("Impossible d'ouvrir le fichier \"%1\". %2").arg(path, why).trimmed();
}

}  // namespace

TFormDiapo::TFormDiapo(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormDiapo"));
    setWindowTitle(QStringLiteral("Diaporama"));
    // Every pixel is painted by paintEvent.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool TFormDiapo::ShowImage(const QString& path)
{
    setWindowTitle(path);
    PictureResult r = loadPicture(path);
    switch (r.status) {
    case PictureStatus::Ok:
        // Kept as decoded: a repaint converts only the part it draws, cheaper than converting the
        // whole picture up front when it is larger than the window.
        picture_ = std::move(r.image);
        break;
    case PictureStatus::Undecodable:
        setWindowTitle(QStringLiteral("Impossible de Charger: ") + path);
        break;
    case PictureStatus::Unreadable:
        prompts().error(unreadableText(path, r.errorText));
        return false;
    }
    // The picture must be on screen before the caller goes on (slideshow tick, conversion step).
    repaint();
    pumpEventsNow();
    return true;
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
    const bool adapted = programOptions().SlidePosition == 1;
    // A stretched opaque picture covers every pixel; anything else shows the background somewhere.
    if (picture_.isNull() || !adapted || picture_.hasAlphaChannel())
        p.fillRect(rect(), BackgroundColor());
    if (picture_.isNull())
        return;
    if (adapted) {
        // Stretched to the whole client area; the aspect ratio is not kept.
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(rect()), picture_);
        return;
    }
    // Natural size: one picture pixel per device pixel, centred and cut at the edges.
    const qreal dpr = devicePixelRatioF();
    const QSizeF size = QSizeF(picture_.size()) / dpr;
    if (dpr == 1.0) {
        p.drawImage(QPoint((width() - picture_.width()) / 2, (height() - picture_.height()) / 2),
                    picture_);
    } else {
        const QPointF topLeft((width() - size.width()) / 2, (height() - size.height()) / 2);
        p.drawImage(QRectF(topLeft, size), picture_);
    }
}

void TFormDiapo::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    QWidget* commande = appWindows().Commande;
    if (!commande)
        return;
    if (commande->isVisible()) {
        commande->hide();
        raise();
        activateWindow();
    } else {
        commande->show();
        commande->raise();
        commande->activateWindow();
    }
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
    if (TFormCommande* commande = appWindows().Commande)
        commande->AfficherBureauUtilisateur();
}
