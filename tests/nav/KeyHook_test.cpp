// The key hook of the review windows: exempt controls keep their keys, and each key press is
// handed over once however the events that carry them are allocated.
#include "app/QtKeyHook.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {
struct Window {
    QWidget top;
    QLineEdit* edit;
    QComboBox* combo;
    Window()
    {
        auto* layout = new QVBoxLayout(&top);
        edit = new QLineEdit(&top);
        combo = new QComboBox(&top);
        combo->addItems({"0", "1", "2"});
        layout->addWidget(edit);
        layout->addWidget(combo);
        top.show();
    }
};
}

TEST(KeyHook, ExemptControlsKeepTheirKeysAndTheNextKeyIsHandledAgain)
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
