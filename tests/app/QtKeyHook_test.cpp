// The key hook that gives the command window the keys of the view windows first.
#include "app/QtKeyHook.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {
// A window with an edit field, a bare focusable widget, which ignores keys and so passes them
// on to its parent, and a drop-down list.
struct Window {
    QWidget top;
    QLineEdit* edit;
    QWidget* bare;
    QComboBox* combo;
    Window()
    {
        auto* layout = new QVBoxLayout(&top);
        edit = new QLineEdit(&top);
        bare = new QWidget(&top);
        bare->setFocusPolicy(Qt::StrongFocus);
        combo = new QComboBox(&top);
        combo->addItems({"0", "1", "2"});
        layout->addWidget(edit);
        layout->addWidget(bare);
        layout->addWidget(combo);
        top.show();
    }
};
}

TEST(QtKeyHook, EachKeyPressReachesTheHandlerOnceAndIsConsumedOnRequest)
{
    Window w;
    int calls = 0;
    bool consume = false;
    QtKeyHook hook([&](QKeyEvent*) {
        ++calls;
        return consume;
    });
    hook.attach(&w.top);
    hook.attach(&w.top);  // a second layout pass attaches again

    struct Case {
        QWidget* target;
        bool consume;
        const char* editText;  // what the edit field holds afterwards
    };
    const Case cases[] = {
        {w.edit, false, "a"},  // not consumed: the focused control gets it
        {w.edit, true, "a"},   // consumed: it does not
        {w.bare, false, "a"},  // ignored by the control and passed on to the window: still one call
        {&w.top, false, "a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target->metaObject()->className());
        calls = 0;
        consume = c.consume;
        QTest::keyClick(c.target, Qt::Key_A);
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(w.edit->text(), c.editText);
    }

    hook.detach(&w.top);
    calls = 0;
    QTest::keyClick(w.edit, Qt::Key_B);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(w.edit->text(), "ab");
}

TEST(QtKeyHook, ShortcutsWinOverTheFocusedControlOfAnAttachedWindow)
{
    for (const bool attached : {false, true}) {
        SCOPED_TRACE(attached ? "attached" : "not attached");
        Window w;
        QAction paste(&w.top);
        paste.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
        paste.setShortcutContext(Qt::ApplicationShortcut);
        w.top.addAction(&paste);
        int triggered = 0;
        QObject::connect(&paste, &QAction::triggered, [&] { ++triggered; });
        QtKeyHook hook([](QKeyEvent*) { return true; });
        if (attached)
            hook.attach(&w.top);
        w.top.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w.top));
        w.edit->setFocus();

        QTest::keyClick(w.edit, Qt::Key_V, Qt::ControlModifier);
        // Unattached, the edit field claims Ctrl+V for itself.
        EXPECT_EQ(triggered, attached ? 1 : 0);
    }
}

TEST(QtKeyHook, ExemptControlsKeepTheirKeysAndTheNextKeyIsHandledAgain)
{
    Window w;
    QStringList seen;
    QtKeyHook hook([&](QKeyEvent* e) {
        seen << QKeySequence(e->key()).toString();
        return true;
    });
    hook.attach(&w.top);
    hook.exempt(w.combo);

    struct Case {
        QWidget* target;
        Qt::Key key;
        bool handled;
    };
    const Case cases[] = {
        {w.combo, Qt::Key_Down, false},    // taken by the list
        {&w.top, Qt::Key_Right, true},     // an ancestor of the list: a new key all the same
        {w.combo, Qt::Key_Escape, false},  // ignored by the list: not handed over by its parents
        {&w.top, Qt::Key_Left, true},
        {w.edit, Qt::Key_A, true},
    };
    for (const Case& c : cases) {
        seen.clear();
        // Events made on the stack, one after the other, may share address and time stamp.
        QTest::keyClick(c.target, c.key);
        EXPECT_EQ(seen.size(), c.handled ? 1 : 0) << QKeySequence(c.key).toString().toStdString();
    }
    EXPECT_EQ(w.combo->currentIndex(), 1);
    EXPECT_TRUE(w.edit->text().isEmpty());
}
