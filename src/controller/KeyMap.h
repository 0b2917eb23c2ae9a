#pragma once
// The review keys: Qt key events mapped to the Windows virtual-key codes of the program's key
// table, and the table itself.
#include "controller/TagMode.h"

#include <Qt>

class QKeyEvent;

namespace vk {
constexpr int Back = 8, Return = 13, Shift = 16, Control = 17, Menu = 18, Escape = 27, Space = 32,
              Prior = 33, Next = 34, End = 35, Home = 36, Left = 37, Up = 38, Right = 39, Down = 40,
              Insert = 45, Delete = 46, Key0 = 48, Key9 = 57, A = 65, N = 78, V = 86, X = 88, Z = 90,
              Numpad0 = 96, Numpad9 = 105, Multiply = 106, Add = 107, Subtract = 109, Decimal = 110,
              Divide = 111, F1 = 112, F5 = 116, F6 = 117, F12 = 123, Oem1 = 186 /* ; */, OemPlus = 187,
              OemComma = 188, OemMinus = 189, OemPeriod = 190;
}

// X11 keycodes of the main keyboard's digit row ("1" is 10 ... "9" is 18, "0" is 19).
constexpr unsigned kX11Digit1 = 10, kX11Digit0 = 19;

// The virtual-key code of a key event, 0 when the key has none in our table. Digits of the main
// keyboard are matched by physical key when the platform gives a native scan code, so Shift+1 gives
// a digit on any layout; keypad keys are told by the keypad modifier; letters whatever the Shift state.
int virtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers, unsigned nativeScanCode);
int virtualKeyCode(const QKeyEvent& event);

// First stage: the tag mode after the modifiers held with this key. showZones tells whether the
// zone window is to be shown (Shift or Ctrl).
TagMode tagModeForModifiers(TagMode tagMode, bool shift, bool ctrl, bool alt, int virtualKey, bool& showZones);

// Second stage: what a key does.
enum class KeyCommand {
    None,
    MakeModeDefault,  // F5
    StopOrStart,      // Escape, Space
    FastBack,         // Page Up, X
    Back,             // Left, Up, V
    Forward,          // Right, Down, N
    FastForward,      // Page Down, ";"
    First,            // Home
    Last,             // End
    LongWait,         // keypad +, "+"
    ShortWait,        // keypad -, "-"
    Marker,           // Enter
    ToMarker,         // Backspace
    Digit,            // 0-9 of the main keyboard or the keypad
    CycleStretch,     // F6: linked, per-frame or no stretch of linear frames
};
KeyCommand keyCommand(int virtualKey, int& digit);
