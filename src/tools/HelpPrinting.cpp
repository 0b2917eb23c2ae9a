#include "tools/HelpPrinting.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

const char* const kHelpPrintTitle = "Impression Entête Image";

namespace {

// Draws the text lines from the top of a page, going on to a new page whenever a printed line would
// cross the foot of the page. False when the device refuses a new page.
bool drawText(QPainter& painter, QPagedPaintDevice& device, const QFont& font, const QStringList& lines)
{
    const qreal width = device.width();
    const qreal height = device.height();
    const qreal blankHeight = QFontMetricsF(font, &device).height();
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    qreal y = 0;
    // A line of height h goes at y, or at the top of a new page when it would cross the foot (a
    // line taller than a page is drawn all the same, at the top).
    auto place = [&](qreal h) {
        if (y > 0 && y + h > height) {
            if (!device.newPage())
                return false;
            y = 0;
        }
        return true;
    };
    for (const QString& text : lines) {
        if (text.isEmpty()) {
            if (!place(blankHeight))
                return false;
            y += blankHeight;
            continue;
        }
        QTextLayout layout(text, font, &device);
        layout.setTextOption(option);
        layout.beginLayout();
        qreal h = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, h));
            h += line.height();
        }
        layout.endLayout();
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            if (!place(line.height()))
                return false;
            line.draw(&painter, QPointF(0, y - line.y()));
            y += line.height();
        }
    }
    return true;
}

}  // namespace

bool printHelpPages(QPagedPaintDevice& device, const QFont& font, const QStringList& lines, int copies)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setFont(font);
    bool ok = true;
    for (int copy = 0; copy < copies && ok; ++copy) {
        if (copy > 0 && !device.newPage()) {
            ok = false;
            break;
        }
        ok = drawText(painter, device, font, lines);
    }
    return painter.end() && ok;
}
