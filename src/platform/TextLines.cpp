#include "platform/TextLines.h"

#include "platform/ProgramError.h"

#include <QFile>
#include <QFileInfo>

void splitTextLines(const QByteArray& bytes, const std::function<void(const char*, qsizetype)>& line)
{
    const char* p = bytes.constData();
    const qsizetype n = bytes.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] != '\r' && p[i] != '\n')
            continue;
        line(p + start, i - start);
        if (p[i] == '\r' && i + 1 < n && p[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        line(p + start, n - start);
}

QByteArray readTextFileBounded(const QString& path, qint64 maxBytes, const QString& cannotOpen, const QString& tooLarge)
{
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly))
        throw ProgramError(cannotOpen);
    if (f.size() > maxBytes)
        throw ProgramError(tooLarge);
    // Read in pieces: a file that grows meanwhile is still read no further than the limit.
    QByteArray bytes;
    bytes.reserve(qsizetype(f.size()));
    char chunk[64 * 1024];
    for (;;) {
        const qint64 n = f.read(chunk, qint64(sizeof chunk));
        if (n < 0)
            throw ProgramError(cannotOpen);
        if (n == 0)
            break;
        if (bytes.size() + n > maxBytes)
            throw ProgramError(tooLarge);
        bytes.append(chunk, qsizetype(n));
    }
    return bytes;
}
