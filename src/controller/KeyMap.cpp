#include "controller/KeyMap.h"

#include <QKeyEvent>

int virtualKeyCode(int key, Qt::KeyboardModifiers modifiers, unsigned scanCode)
{
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (keypad) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9)
            return vk::Numpad0 + (key - Qt::Key_0);
        switch (key) {
        case Qt::Key_Plus: return vk::Add;
        case Qt::Key_Minus: return vk::Subtract;
        case Qt::Key_Asterisk: return vk::Multiply;
        case Qt::Key_Slash: return vk::Divide;
        case Qt::Key_Period:
        case Qt::Key_Comma: return vk::Decimal;  // the decimal key gives ',' on French keypads
        case Qt::Key_Enter:
        case Qt::Key_Return: return vk::Return;
        default: break;  // navigation keys of a keypad without Num Lock act as themselves
        }
    }
    // The main keyboard's digit row, by physical key.
    if (scanCode >= kX11Digit1 && scanCode <= kX11Digit0 && !keypad)
        return scanCode == kX11Digit0 ? vk::Key0 : vk::Key0 + 1 + int(scanCode - kX11Digit1);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return vk::Key0 + (key - Qt::Key_0);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return vk::A + (key - Qt::Key_A);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return vk::F1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace: return vk::Back;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vk::Return;
    case Qt::Key_Shift: return vk::Shift;
    case Qt::Key_Control: return vk::Control;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return vk::Menu;
    case Qt::Key_Escape: return vk::Escape;
    case Qt::Key_Space: return vk::Space;
    case Qt::Key_PageUp: return vk::Prior;
    case Qt::Key_PageDown: return vk::Next;
    case Qt::Key_End: return vk::End;
    case Qt::Key_Home: return vk::Home;
    case Qt::Key_Left: return vk::Left;
    case Qt::Key_Up: return vk::Up;
    case Qt::Key_Right: return vk::Right;
    case Qt::Key_Down: return vk::Down;
    case Qt::Key_Insert: return vk::Insert;
    case Qt::Key_Delete: return vk::Delete;
    case Qt::Key_Semicolon: return vk::Oem1;
    case Qt::Key_Plus:
    case Qt::Key_Equal: return vk::OemPlus;  // the "=+" key of the main keyboard
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return vk::OemMinus;
    case Qt::Key_Comma: return vk::OemComma;
    case Qt::Key_Period: return vk::OemPeriod;
    default: return 0;
    }
}

int virtualKeyCode(const QKeyEvent& event)
{
    return virtualKeyCode(event.key(), event.modifiers(), event.nativeScanCode());
}

TagMode tagModeForModifiers(TagMode tagMode, bool shift, bool ctrl, bool alt, int key, bool& showZones)
{
    showZones = false;
    if (shift || key == vk::Shift) {
        showZones = true;
        return TagMode::Quality;
    }
    if (ctrl || key == vk::Control) {
        showZones = true;
        return TagMode::Zone;
    }
    if (alt || key == vk::Menu)
        return TagMode::Extra;
    if (key == vk::Decimal) {
        switch (tagMode) {
        case TagMode::Quality: return TagMode::Zone;
        case TagMode::Zone: return TagMode::Extra;
        case TagMode::Extra: return TagMode::Quality;
        }
    }
    return tagMode;
}

KeyCommand keyCommand(int key, int& digit)
{
    digit = -1;
    if (key >= vk::Key0 && key <= vk::Key9) {
        digit = key - vk::Key0;
        return KeyCommand::Digit;
    }
    if (key >= vk::Numpad0 && key <= vk::Numpad9) {
        digit = key - vk::Numpad0;
        return KeyCommand::Digit;
    }
    switch (key) {
    case vk::F5: return KeyCommand::MakeModeDefault;
    case vk::F6: return KeyCommand::CycleStretch;
    case vk::Escape:
    case vk::Space: return KeyCommand::StopOrStart;
    case vk::Prior:
    case vk::X: return KeyCommand::FastBack;
    case vk::Left:
    case vk::Up:
    case vk::V: return KeyCommand::Back;
    case vk::Right:
    case vk::Down:
    case vk::N: return KeyCommand::Forward;
    case vk::Next:
    case vk::Oem1: return KeyCommand::FastForward;
    case vk::Home: return KeyCommand::First;
    case vk::End: return KeyCommand::Last;
    case vk::Add:
    case vk::OemPlus: return KeyCommand::LongWait;
    case vk::Subtract:
    case vk::OemMinus: return KeyCommand::ShortWait;
    case vk::Return: return KeyCommand::Marker;
    case vk::Back: return KeyCommand::ToMarker;
    default: return KeyCommand::None;
    }
}
