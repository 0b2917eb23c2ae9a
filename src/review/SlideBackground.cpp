#include "review/SlideBackground.h"

#include <QGuiApplication>
#include <QPalette>

QColor colorFromOptionValue(uint32_t value)
{
    if (value & 0x80000000u)
        return QGuiApplication::palette().color(QPalette::Window);
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

uint32_t optionValueFromColor(const QColor& color)
{
    const QColor c = color.toRgb();
    return uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16);
}
