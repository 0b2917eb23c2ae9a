#pragma once
// Helpers that make real files for tests.
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

// Writes a width × height picture (a gradient with a disc, so that it is not uniform) as BMP or JPEG,
// chosen by the path's extension. Returns false when it could not be written.
bool writeTestImage(const QString& path, int width, int height, QColor tint = QColor(200, 120, 40));
// Noise over a gradient, so that a JPEG decoder has as much work as with a real frame.
QImage noisyFrame(int width, int height, unsigned seed = 7);
QByteArray readAll(const QString& path);
bool writeAll(const QString& path, const QByteArray& bytes);
// The text of a PDF read back with pdftotext: one entry per page, its non-blank lines trimmed.
QList<QStringList> pdfPages(const QString& pdf);
