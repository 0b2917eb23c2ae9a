#pragma once
// Printing the result lines: one line under the other from the top left of the printable area,
// as many as fit on a page, with nothing of the program's own (no header, footer or margin).
#include <QFont>
#include <QStringList>

class QPagedPaintDevice;

// How many lines of lineHeight fit in pageHeight (device pixels); at least one.
int linesPerPage(int pageHeight, int lineHeight);

// Draws lines on device in font: line i of a page at x 0, y = i × the font's line height; a new
// page after every linesPerPage lines. False when the device refuses to print (the job is then
// given up, without a message).
bool printLines(QPagedPaintDevice& device, const QFont& font, const QStringList& lines);
