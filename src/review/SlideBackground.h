#pragma once
// The settings file's colour encoding of the slideshow background: a value with the top bit set
// names a system colour (all are shown as the palette's window colour); otherwise the low byte is
// red, then green, then blue.
#include <QColor>
#include <cstdint>

QColor colorFromOptionValue(uint32_t value);
uint32_t optionValueFromColor(const QColor& color);
