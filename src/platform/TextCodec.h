#pragma once
// Text in the program's files is single-byte Latin-1. A value holding a character outside Latin-1
// (a Linux file name can) is written as UTF-8 rather than damaged; on reading, a line that is valid
// UTF-8 with at least one multi-byte sequence is taken as UTF-8, any other line as Latin-1. So a
// value is written as Latin-1 only when its Latin-1 bytes do not form multi-byte UTF-8 ("Ã©" would
// read back as "é"); otherwise as UTF-8. Either way it reads back equal.
#include <QByteArray>
#include <QString>

QByteArray encodeFileText(const QString& text);
QString decodeFileText(const char* data, qsizetype size);
inline QString decodeFileText(const QByteArray& bytes) { return decodeFileText(bytes.constData(), bytes.size()); }
// Cut an encoded text to at most maxBytes without splitting a UTF-8 sequence; the result still
// reads back as the beginning of the text.
QByteArray truncateEncoded(const QByteArray& bytes, qsizetype maxBytes);
