#include "controller/KeyMap.h"

#include <gtest/gtest.h>

TEST(KeyMap, QtKeysToVirtualKeys)
{
    struct Case { int key; Qt::KeyboardModifiers mods; unsigned scan; int expected; };
    const Case cases[] = {
        // Shift+1 on an AZERTY keyboard: Qt reports "1" only through the physical key.
        {Qt::Key_Ampersand, Qt::NoModifier, 10, 49},
        {Qt::Key_Exclam, Qt::ShiftModifier, 10, 49},
        {Qt::Key_Agrave, Qt::NoModifier, 19, 48},
        {Qt::Key_7, Qt::ShiftModifier, 16, 55},
        // Without a native code the plain Qt digit counts.
        {Qt::Key_3, Qt::ControlModifier, 0, 51},
        // Keypad keys by the keypad modifier.
        {Qt::Key_3, Qt::KeypadModifier, 0, 99},
        {Qt::Key_Period, Qt::KeypadModifier, 91, 110},
        {Qt::Key_Comma, Qt::KeypadModifier, 91, 110},
        {Qt::Key_Plus, Qt::KeypadModifier, 86, 107},
        {Qt::Key_Minus, Qt::KeypadModifier, 82, 109},
        {Qt::Key_Enter, Qt::KeypadModifier, 104, 13},
        // Letters whatever the Shift state.
        {Qt::Key_X, Qt::ShiftModifier, 0, 88},
        {Qt::Key_N, Qt::NoModifier, 0, 78},
        {Qt::Key_V, Qt::NoModifier, 0, 86},
        {Qt::Key_Semicolon, Qt::NoModifier, 0, 186},
        {Qt::Key_Plus, Qt::ShiftModifier, 0, 187},
        {Qt::Key_Minus, Qt::NoModifier, 0, 189},
        {Qt::Key_F5, Qt::NoModifier, 0, 116},
        {Qt::Key_PageDown, Qt::NoModifier, 0, 34},
        {Qt::Key_Backspace, Qt::NoModifier, 0, 8},
        {Qt::Key_Shift, Qt::ShiftModifier, 50, 16},
        {Qt::Key_Control, Qt::ControlModifier, 37, 17},
        {Qt::Key_Alt, Qt::AltModifier, 64, 18},
        {Qt::Key_Eacute, Qt::NoModifier, 0, 0},
        // Keypad navigation keys (Num Lock off) act as the keys they name.
        {Qt::Key_Home, Qt::KeypadModifier, 79, 36},
        {Qt::Key_PageDown, Qt::KeypadModifier, 89, 34},
        {Qt::Key_Delete, Qt::KeypadModifier, 91, 46},
        // The "=+" key of the main keyboard, unshifted, and "_" on the "-" key.
        {Qt::Key_Equal, Qt::NoModifier, 21, 187},
        {Qt::Key_Underscore, Qt::ShiftModifier, 20, 189},
        {Qt::Key_Return, Qt::NoModifier, 36, 13},
        {Qt::Key_F1, Qt::NoModifier, 67, 112},
        {Qt::Key_Delete, Qt::NoModifier, 119, 46},
    };
    for (const Case& c : cases)
        EXPECT_EQ(virtualKeyCode(c.key, c.mods, c.scan), c.expected) << "key " << std::hex << c.key;
}

TEST(KeyMap, ModifiersChooseTheTagMode)
{
    struct Case { int mode; bool shift, ctrl, alt; int key; int expected; bool zones; };
    const Case cases[] = {
        {4, true, false, false, 55, 1, true},
        {1, false, true, false, 51, 2, true},
        {1, false, false, true, 51, 4, false},
        {1, true, true, true, 51, 1, true},       // Shift wins over Ctrl and Alt
        {2, false, false, false, vk::Shift, 1, true},   // Shift pressed alone
        {1, false, false, false, vk::Control, 2, true},
        {1, false, false, false, vk::Menu, 4, false},
        {1, false, false, false, vk::Decimal, 2, false},
        {2, false, false, false, vk::Decimal, 4, false},
        {4, false, false, false, vk::Decimal, 1, false},
        {2, false, false, false, 51, 2, false},
    };
    for (const Case& c : cases) {
        bool zones = !c.zones;
        EXPECT_EQ(int(tagModeForModifiers(TagMode(c.mode), c.shift, c.ctrl, c.alt, c.key, zones)), c.expected);
        EXPECT_EQ(zones, c.zones);
    }
}

TEST(KeyMap, KeyTable)
{
    struct Case { int key; KeyCommand command; int digit; };
    const Case cases[] = {
        {116, KeyCommand::MakeModeDefault, -1}, {27, KeyCommand::StopOrStart, -1},
        {32, KeyCommand::StopOrStart, -1},       {33, KeyCommand::FastBack, -1},
        {88, KeyCommand::FastBack, -1},          {37, KeyCommand::Back, -1},
        {38, KeyCommand::Back, -1},              {86, KeyCommand::Back, -1},
        {39, KeyCommand::Forward, -1},           {40, KeyCommand::Forward, -1},
        {78, KeyCommand::Forward, -1},           {34, KeyCommand::FastForward, -1},
        {186, KeyCommand::FastForward, -1},      {36, KeyCommand::First, -1},
        {35, KeyCommand::Last, -1},              {107, KeyCommand::LongWait, -1},
        {187, KeyCommand::LongWait, -1},         {109, KeyCommand::ShortWait, -1},
        {189, KeyCommand::ShortWait, -1},        {13, KeyCommand::Marker, -1},
        {8, KeyCommand::ToMarker, -1},           {48, KeyCommand::Digit, 0},
        {57, KeyCommand::Digit, 9},              {96, KeyCommand::Digit, 0},
        {105, KeyCommand::Digit, 9},             {110, KeyCommand::None, -1},
        {46, KeyCommand::None, -1},              {16, KeyCommand::None, -1},
    };
    for (const Case& c : cases) {
        int digit = 42;
        EXPECT_EQ(keyCommand(c.key, digit), c.command) << c.key;
        EXPECT_EQ(digit, c.digit) << c.key;
    }
}
