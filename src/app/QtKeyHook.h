#pragma once
// Lets the command window see the keys typed anywhere in the windows attached to it before their
// controls do. One application-wide event filter: a key pressed in any widget of an attached window
// goes to the handler first and is consumed when the handler returns true. In attached windows the
// program's menu shortcuts always win: no control may claim their keys.
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

class QKeyEvent;

class QtKeyHook : public QObject {
public:
    using Handler = std::function<bool(QKeyEvent*)>;
    explicit QtKeyHook(Handler handler, QObject* parent = nullptr);
    ~QtKeyHook() override;

    // Attaching a window twice attaches it once.
    void attach(QWidget* window);
    void detach(QWidget* window);
    bool isAttached(const QWidget* window) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handler handler_;
    std::vector<QPointer<QWidget>> windows_;
    // The last key press handed over and left unconsumed: a widget that ignores it passes the
    // same event on to its parents, which must not hand it over a second time.
    const QEvent* lastEvent_ = nullptr;
    quint64 lastTimestamp_ = 0;
    QPointer<QWidget> lastReceiver_;
};
