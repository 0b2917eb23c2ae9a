#pragma once
// The line splitter and the bounded read that the program's text files (results files, the help
// file) share.
#include <QByteArray>
#include <QString>
#include <functional>

// Calls line for each line of a text (CR LF, LF or a lone CR end a line; text after the last line
// end is a last line).
void splitTextLines(const QByteArray& bytes, const std::function<void(const char*, qsizetype)>& line);
// The bytes of a regular file of at most maxBytes; throws ProgramError cannotOpen when it cannot be
// read (or is no regular file), tooLarge when it is longer.
QByteArray readTextFileBounded(const QString& path, qint64 maxBytes, const QString& cannotOpen, const QString& tooLarge);
