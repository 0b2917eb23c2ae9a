#pragma once
// Text in the program's files is single-byte Latin-1. A value holding a character outside Latin-1
// (a Linux file name can) is written as UTF-8 rather than damaged; on reading, a line that is valid
// UTF-8 with at least one multi-byte sequence is taken as UTF-8, any other line as Latin-1.
#include <QByteArray>
#include <QString>

QByteArray encodeFileText(const QString& text);
QString decodeFileText(const char* data, qsizetype size);
inline QString decodeFileText(const QByteArray& bytes) { return decodeFileText(bytes.constData(), bytes.size()); }
// Cut an encoded text to at most maxBytes without splitting a UTF-8 sequence.
QByteArray truncateEncoded(const QByteArray& bytes, qsizetype maxBytes);
