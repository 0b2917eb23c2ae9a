#pragma once
// Printing the help text: one page for each copy asked for, each page holding the text from the top
// left of the printable area, line under line, every line wrapped to the page width (at a word when
// it can, anywhere in a word longer than the width). What does not fit on the page is left off.
#include <QFont>
#include <QStringList>

class QPagedPaintDevice;

// The title of the print job.
extern const char* const kHelpPrintTitle;  // "Impression Entête Image"

// Draws copies pages on device (a new page between two copies, none after the last). False when the
// device refuses to print.
bool printHelpPages(QPagedPaintDevice& device, const QFont& font, const QStringList& lines, int copies);
