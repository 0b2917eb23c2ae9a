#include "app/QtKeyHook.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMenuBar>
#include <QKeyEvent>
#include <algorithm>

QtKeyHook::QtKeyHook(Handler handler, QObject* parent) : QObject(parent), handler_(std::move(handler))
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

QtKeyHook::~QtKeyHook()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

void QtKeyHook::attach(QWidget* window)
{
    if (window && !isAttached(window))
        windows_.emplace_back(window);
}

void QtKeyHook::detach(QWidget* window)
{
    std::erase_if(windows_, [window](const QPointer<QWidget>& w) { return w.isNull() || w == window; });
}

bool QtKeyHook::isAttached(const QWidget* window) const
{
    return window && std::any_of(windows_.begin(), windows_.end(),
                                 [window](const QPointer<QWidget>& w) { return w == window; });
}

void QtKeyHook::exempt(QWidget* w)
{
    if (w && !isExempt(w))
        exempt_.emplace_back(w);
}

bool QtKeyHook::isExempt(const QWidget* receiver) const
{
    return std::any_of(exempt_.begin(), exempt_.end(), [receiver](const QPointer<QWidget>& w) {
        return w && (w == receiver || w->isAncestorOf(receiver));
    });
}

void QtKeyHook::leaveMenuBar(QMenuBar* bar)
{
    // Losing the focus takes the bar out of its keyboard mode and its highlight away.
    if (bar->hasFocus())
        bar->clearFocus();
}

void QtKeyHook::remember(const QEvent* event, quint64 timestamp, QWidget* receiver)
{
    lastEvent_ = event;
    lastTimestamp_ = timestamp;
    lastReceiver_ = receiver;
}

void QtKeyHook::forget()
{
    lastEvent_ = nullptr;
    lastReceiver_ = nullptr;
}

bool QtKeyHook::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyRelease)
        forget();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return false;
    if (type == QEvent::ShortcutOverride)
        forget();  // a new key press is on its way
    if (!watched->isWidgetType())
        return false;
    // An open menu or popup owns the keys (Left and Right move along the menu bar, letters choose
    // an entry) until it closes, also those it hands on to its menu bar.
    if (QApplication::activePopupWidget())
        return false;
    QWidget* receiver = static_cast<QWidget*>(watched);
    if (!isAttached(receiver->window()))
        return false;
    // A menu opened by the keyboard leaves the focus on the menu bar when it closes, and the bar
    // would take plain letters for its mnemonics: only Alt+letter opens a menu (through the
    // shortcuts); any other key leaves the bar and is the key map's.
    if (auto* bar = qobject_cast<QMenuBar*>(receiver); bar && type == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->modifiers().testFlag(Qt::AltModifier) || key->key() == Qt::Key_Alt)
            return false;
        const bool highlighted = bar->activeAction() != nullptr;
        leaveMenuBar(bar);
        // Escape while the bar shows a highlighted title only leaves the bar.
        if (highlighted && key->key() == Qt::Key_Escape)
            return true;
    }
    // Taking the override request away from the focused control leaves the key to the shortcuts.
    if (type == QEvent::ShortcutOverride)
        return true;

    auto* key = static_cast<QKeyEvent*>(event);
    if (key == lastEvent_ && key->timestamp() == lastTimestamp_ && lastReceiver_ && receiver != lastReceiver_
        && receiver->isAncestorOf(lastReceiver_)) {
        lastReceiver_ = receiver;
        return false;
    }
    if (isExempt(receiver)) {
        remember(key, key->timestamp(), receiver);
        return false;
    }
    const bool consumed = handler_ && handler_(key);
    if (consumed)
        forget();
    else
        remember(key, key->timestamp(), receiver);
    return consumed;
}
