#pragma once
// Printing the help text: the whole text once for each copy asked for, each copy starting on a new
// page, line under line from the top left of the printable area, every line wrapped to the page
// width (at a word when it can, anywhere in a word longer than the width); a line that does not fit
// at the foot of a page goes on the next one.
#include <QFont>
#include <QStringList>

class QPagedPaintDevice;

// The title of the print job.
extern const char* const kHelpPrintTitle;  // "Impression Entête Image"

// Draws the text copies times on device. False when the device refuses to print or to start a page.
bool printHelpPages(QPagedPaintDevice& device, const QFont& font, const QStringList& lines, int copies);
