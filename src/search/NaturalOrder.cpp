#include "search/NaturalOrder.h"

#include <algorithm>
#include <numeric>

namespace {

inline bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
inline char16_t asciiLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + (u'a' - u'A')) : c; }

// The comparison itself, digits by value, other characters one by one (ASCII letters without case).
int compareRuns(QStringView a, QStringView b)
{
    const qsizetype an = a.size(), bn = b.size();
    qsizetype i = 0, j = 0;
    while (i < an && j < bn) {
        char16_t ca = a[i].unicode(), cb = b[j].unicode();
        if (isDigit(ca) && isDigit(cb)) {
            qsizetype si = i, sj = j;
            while (si < an && a[si] == u'0')
                ++si;
            while (sj < bn && b[sj] == u'0')
                ++sj;
            qsizetype ei = si, ej = sj;
            while (ei < an && isDigit(a[ei].unicode()))
                ++ei;
            while (ej < bn && isDigit(b[ej].unicode()))
                ++ej;
            if (ei - si != ej - sj)
                return ei - si < ej - sj ? -1 : 1;
            for (qsizetype k = 0; k < ei - si; ++k)
                if (a[si + k] != b[sj + k])
                    return a[si + k] < b[sj + k] ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        ca = asciiLower(ca);
        cb = asciiLower(cb);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < an)
        return 1;
    if (j < bn)
        return -1;
    return 0;
}

bool isAscii(const QString& s)
{
    for (QChar c : s)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// A name beyond ASCII compared by its letters: accents taken off, case folded.
QString letterKey(const QString& name)
{
    const QString d = name.normalized(QString::NormalizationForm_D);
    QString key;
    key.reserve(d.size());
    for (QChar c : d)
        if (c.category() != QChar::Mark_NonSpacing)
            key += c;
    return key.toCaseFolded();
}

}  // namespace

int naturalCompare(QStringView a, QStringView b)
{
    const int r = compareRuns(a, b);
    return r != 0 ? r : a.compare(b);
}

std::vector<int> naturalOrder(const QStringList& names)
{
    std::vector<int> order(size_t(names.size()));
    std::iota(order.begin(), order.end(), 0);
    if (std::all_of(names.begin(), names.end(), isAscii)) {
        std::sort(order.begin(), order.end(),
                  [&names](int x, int y) { return naturalCompare(names[x], names[y]) < 0; });
        return order;
    }
    QStringList keys;
    keys.reserve(names.size());
    for (const QString& n : names)
        keys << letterKey(n);
    std::sort(order.begin(), order.end(), [&](int x, int y) {
        const int r = compareRuns(keys[x], keys[y]);
        return r != 0 ? r < 0 : naturalCompare(names[x], names[y]) < 0;
    });
    return order;
}
