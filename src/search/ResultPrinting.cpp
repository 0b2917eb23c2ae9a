#include "search/ResultPrinting.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>

int linesPerPage(int pageHeight, int lineHeight)
{
    if (lineHeight <= 0)
        return 1;
    return std::max(1, pageHeight / lineHeight);
}

bool printLines(QPagedPaintDevice& device, const QFont& font, const QStringList& lines)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setFont(font);
    const QFontMetrics metrics = painter.fontMetrics();
    const int lineHeight = metrics.height();
    const int perPage = linesPerPage(device.height(), lineHeight);
    bool ok = true;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int onPage = int(i % perPage);
        if (i > 0 && onPage == 0 && !device.newPage()) {
            ok = false;
            break;
        }
        painter.drawText(0, onPage * lineHeight + metrics.ascent(), lines[i]);
    }
    return painter.end() && ok;
}
