#pragma once
// Lets the command window see the keys typed anywhere in the windows attached to it before their
// controls do. One application-wide event filter: a key pressed in any widget of an attached window
// goes to the handler first and is consumed when the handler returns true. In attached windows the
// program's menu shortcuts always win: no control may claim their keys. Controls marked exempt (the
// command window's drop-down lists) keep the keys typed into them.
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

class QKeyEvent;
class QMenuBar;

class QtKeyHook : public QObject {
public:
    using Handler = std::function<bool(QKeyEvent*)>;
    explicit QtKeyHook(Handler handler, QObject* parent = nullptr);
    ~QtKeyHook() override;

    // Attaching a window twice attaches it once.
    void attach(QWidget* window);
    void detach(QWidget* window);
    bool isAttached(const QWidget* window) const;
    // Keys typed into w (or a child of it) go to w and never to the handler, even when w ignores them.
    void exempt(QWidget* w);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isExempt(const QWidget* receiver) const;
    // The menu bar out of its keyboard mode, without the focus.
    static void leaveMenuBar(QMenuBar* bar);
    void remember(const QEvent* event, quint64 timestamp, QWidget* receiver);
    void forget();

    Handler handler_;
    std::vector<QPointer<QWidget>> windows_;
    std::vector<QPointer<QWidget>> exempt_;
    // The last key press handed over and left unconsumed: a widget that ignores it passes the
    // same event on to its parents, which must not hand it over a second time. Forgotten when the
    // next key arrives (its shortcut check) or is released: a new event may reuse the address.
    const QEvent* lastEvent_ = nullptr;
    quint64 lastTimestamp_ = 0;
    QPointer<QWidget> lastReceiver_;
};
