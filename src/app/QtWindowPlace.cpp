#include "app/QtWindowPlace.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace {
// The frame the window system puts around the client area: known once the native window exists
// under offscreen, none under Xvfb without a window manager, and under a window manager only
// once the window is mapped.
QMargins frameMarginsOf(QWidget* w)
{
    w->winId();
    if (const QWindow* handle = w->windowHandle())
        return handle->frameMargins();
    return {};
}

// A window placed before it was mapped under a window manager got its client area the size of the
// whole place. Once it is first exposed its frame is known, and it is placed again; without this
// each save and restart would grow every window by its frame.
class FrameWatcher : public QObject {
public:
    enum class Mode { Resize, Fixed, PositionOnly };
    FrameWatcher(QWidget* window, const WindowPlace& place, Mode mode)
        : QObject(window), window_(window), place_(place), mode_(mode)
    {
        setObjectName(QStringLiteral("FrameWatcher"));
        window->winId();
        handle_ = window->windowHandle();
        if (handle_)
            handle_->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && handle_ && handle_->isExposed()) {
            handle_->removeEventFilter(this);
            QMetaObject::invokeMethod(this, [this] { placeAgain(); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void placeAgain()
    {
        setObjectName(QString());  // placing again must not delete this watcher while it runs
        if (window_ && !frameMarginsOf(window_).isNull()) {
            if (mode_ == Mode::PositionOnly)
                moveWindowTo(window_, place_);
            else
                placeWindow(window_, place_, mode_ == Mode::Fixed);
        }
        deleteLater();
    }

    QPointer<QWidget> window_;
    QPointer<QWindow> handle_;
    WindowPlace place_;
    Mode mode_;
};

void watchFrame(QWidget* w, const WindowPlace& place, FrameWatcher::Mode mode)
{
    delete w->findChild<FrameWatcher*>(QStringLiteral("FrameWatcher"), Qt::FindDirectChildrenOnly);
    if (frameMarginsOf(w).isNull() && !w->testAttribute(Qt::WA_Mapped))
        new FrameWatcher(w, place, mode);
}
}  // namespace

WindowPlace windowPlaceOf(const QWidget* w)
{
    const QRect r = w->frameGeometry();
    return WindowPlace{r.top(), r.left(), r.height(), r.width()};
}

void placeWindow(QWidget* w, const WindowPlace& place, bool fixedSize)
{
    const Qt::WindowStates special = Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen;
    if (w->windowState() & special)
        w->setWindowState(w->windowState() & ~special);
    const QMargins m = frameMarginsOf(w);
    const QSize client(std::max(1, place.Width - m.left() - m.right()),
                       std::max(1, place.Height - m.top() - m.bottom()));
    if (fixedSize)
        w->setFixedSize(client);
    else
        w->resize(client);
    // For a top-level window, move() places the frame, not the client area.
    w->move(place.Left, place.Top);

    watchFrame(w, place, fixedSize ? FrameWatcher::Mode::Fixed : FrameWatcher::Mode::Resize);
}

void moveWindowTo(QWidget* w, const WindowPlace& place)
{
    w->move(place.Left, place.Top);
    watchFrame(w, place, FrameWatcher::Mode::PositionOnly);
}
