#include "tools/HelpPrinting.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

const char* const kHelpPrintTitle = "Impression Entête Image";

namespace {

// Draws the text lines from the top of the page; stops at the first line that would cross its foot.
void drawPage(QPainter& painter, QPaintDevice& device, const QFont& font, const QStringList& lines)
{
    const qreal width = device.width();
    const qreal height = device.height();
    const qreal blankHeight = QFontMetricsF(font, &device).height();
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    qreal y = 0;
    for (const QString& text : lines) {
        if (text.isEmpty()) {
            y += blankHeight;
            if (y > height)
                return;
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
            if (y + line.y() + line.height() > height)
                return;
            line.draw(&painter, QPointF(0, y));
        }
        y += h;
    }
}

}  // namespace

bool printHelpPages(QPagedPaintDevice& device, const QFont& font, const QStringList& lines, int copies)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setFont(font);
    bool ok = true;
    for (int copy = 0; copy < copies; ++copy) {
        if (copy > 0 && !device.newPage()) {
            ok = false;
            break;
        }
        drawPage(painter, device, font, lines);
    }
    return painter.end() && ok;
}
