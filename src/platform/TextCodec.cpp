#include "platform/TextCodec.h"

namespace {
bool fitsLatin1(const QString& s)
{
    for (QChar c : s)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

// True when data is valid UTF-8 and holds at least one multi-byte sequence.
bool isMultibyteUtf8(const unsigned char* p, qsizetype n)
{
    bool multi = false;
    qsizetype i = 0;
    while (i < n) {
        unsigned char c = p[i];
        if (c < 0x80) { ++i; continue; }
        int len;
        unsigned int cp;
        if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; }
        else return false;
        if (i + len > n) return false;
        for (int k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        // Reject overlong forms and surrogates, as a strict decoder would.
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))
            || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        multi = true;
        i += len;
    }
    return multi;
}
}

QByteArray encodeFileText(const QString& text)
{
    // Latin-1 bytes that form multi-byte UTF-8 ("Ã©" is C3 A9) would read back as other text.
    if (fitsLatin1(text)) {
        QByteArray latin1 = text.toLatin1();
        if (!isMultibyteUtf8(reinterpret_cast<const unsigned char*>(latin1.constData()), latin1.size()))
            return latin1;
    }
    return text.toUtf8();
}

QString decodeFileText(const char* data, qsizetype size)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    bool high = false;
    for (qsizetype i = 0; i < size; ++i)
        if (p[i] >= 0x80) { high = true; break; }
    if (!high)
        return QString::fromLatin1(data, size);
    if (isMultibyteUtf8(p, size))
        return QString::fromUtf8(data, size);
    return QString::fromLatin1(data, size);
}

QByteArray truncateEncoded(const QByteArray& bytes, qsizetype maxBytes)
{
    if (bytes.size() <= maxBytes)
        return bytes;
    if (maxBytes <= 0)
        return QByteArray();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    if (!isMultibyteUtf8(p, bytes.size())) {
        // Latin-1. Its first bytes alone may form UTF-8 that the whole did not ("Ã©" before an
        // invalid byte); such a prefix is written as UTF-8 so that it reads back as it was.
        const QByteArray cut = bytes.left(maxBytes);
        if (!isMultibyteUtf8(reinterpret_cast<const unsigned char*>(cut.constData()), cut.size()))
            return cut;
        return truncateEncoded(QString::fromLatin1(cut).toUtf8(), maxBytes);
    }
    // UTF-8: step back over continuation bytes so that no sequence is split.
    qsizetype cut = maxBytes;
    while (cut > 0 && (p[cut] & 0xC0) == 0x80)
        --cut;
    return bytes.left(cut);
}
