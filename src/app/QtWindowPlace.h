#pragma once
// A WindowPlace is the outer frame of a top-level window (frameGeometry): a place given to a window
// is read back unchanged, whatever frame the window system draws around the client area.
#include "settings/Options.h"

class QWidget;

WindowPlace windowPlaceOf(const QWidget* window);
// Moves and sizes the top-level window so that its frame covers place. A maximised, minimised or
// full-screen window is brought back to its normal state first. With fixedSize the user can no
// longer resize it.
void placeWindow(QWidget* window, const WindowPlace& place, bool fixedSize = false);
// Moves the top-level window's frame to the place's top-left corner and leaves its size alone (a
// window whose size follows its content).
void moveWindowTo(QWidget* window, const WindowPlace& place);
