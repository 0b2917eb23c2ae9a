#include "search/trecherche.h"

#include "search/NaturalOrder.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

// "*" any run, "?" any one character; both sequences already in one letter case. Backtracks only
// to the last star, so the cost stays linear in practice.
template <class C, class Fold>
bool globMatch(const C* m, size_t mn, const C* s, size_t sn, Fold fold)
{
    constexpr size_t none = size_t(-1);
    size_t mi = 0, si = 0, starM = none, starS = 0;
    while (si < sn) {
        if (mi < mn && m[mi] == C('*')) {
            starM = mi++;
            starS = si;
        } else if (mi < mn && (m[mi] == C('?') || m[mi] == fold(s[si]))) {
            ++mi;
            ++si;
        } else if (starM != none) {
            mi = starM + 1;
            si = ++starS;
        } else {
            return false;
        }
    }
    while (mi < mn && m[mi] == C('*'))
        ++mi;
    return mi == mn;
}

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c; }

std::u32string foldedCodePoints(const QString& s)
{
    const QList<uint> ucs = s.toCaseFolded().toUcs4();
    return std::u32string(ucs.begin(), ucs.end());
}

bool isAscii(const char* p, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (static_cast<unsigned char>(p[i]) >= 0x80)
            return false;
    return true;
}

bool isAscii(const QString& s)
{
    for (QChar c : s)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

WildcardMask::WildcardMask(const QString& mask)
{
    const QString folded = mask.toCaseFolded();
    matchAll_ = folded == QLatin1String("*") || folded == QLatin1String("*.*");
    hasBare_ = folded.endsWith(QLatin1String(".*"));
    foldedMask_ = folded;
    if (hasBare_)
        foldedBare_ = folded.left(folded.size() - 2);
    ascii_ = isAscii(mask);
    if (ascii_) {
        asciiMask_ = mask.toLatin1().toLower();
        if (hasBare_)
            asciiBare_ = asciiMask_.left(asciiMask_.size() - 2);
    }
}

bool WildcardMask::matches(const char* name, size_t length) const
{
    if (matchAll_)
        return true;
    if (ascii_ && isAscii(name, length)) {
        auto tryMask = [&](const QByteArray& m) {
            return globMatch(m.constData(), size_t(m.size()), name, length, asciiLower);
        };
        return tryMask(asciiMask_) || (hasBare_ && tryMask(asciiBare_));
    }
    return matchesFolded(QString::fromUtf8(name, qsizetype(length)).toCaseFolded());
}

bool WildcardMask::matches(const QString& name) const
{
    if (matchAll_)
        return true;
    return matchesFolded(name.toCaseFolded());
}

bool WildcardMask::matchesFolded(const QString& foldedName) const
{
    // Whole code points, so that "?" stands for one character also beyond the BMP.
    const std::u32string s = foldedCodePoints(foldedName);
    auto same = [](char32_t c) { return c; };
    auto tryMask = [&](const QString& m) {
        const std::u32string mm = foldedCodePoints(m);
        return globMatch(mm.data(), mm.size(), s.data(), s.size(), same);
    };
    return tryMask(foldedMask_) || (hasBare_ && tryMask(foldedBare_));
}

namespace {
// The kind of an entry: d_type when the file system gives it, the inode otherwise; a link takes
// the kind of its target.
struct EntryKind {
    bool directory = false;
    bool link = false;
};

EntryKind kindOf(int dirFd, const dirent* e)
{
    EntryKind k;
    unsigned char type = e->d_type;
    struct stat st;
    if (type == DT_UNKNOWN && ::fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
        type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
    if (type == DT_DIR) {
        k.directory = true;
    } else if (type == DT_LNK) {
        k.link = true;
        k.directory = ::fstatat(dirFd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    }
    return k;
}
}  // namespace

trecherche::trecherche() : Chemin(QStringLiteral("*.*")), Attributs(faAnyFile) {}

bool trecherche::Chercher()
{
    Resultats.clear();
    enterable_.clear();
    const qsizetype slash = Chemin.lastIndexOf(QLatin1Char('/'));
    Repertoire = Chemin.left(slash + 1);
    const WildcardMask mask(Chemin.mid(slash + 1));

    const QByteArray dirPath = Repertoire.isEmpty() ? QByteArray(".") : QFile::encodeName(Repertoire);
    DIR* d = ::opendir(dirPath.constData());
    if (!d)
        return false;
    const int fd = ::dirfd(d);
    // The special kinds this filter leaves out.
    const bool dropHidden = !(Attributs & faHidden);
    const bool dropDirectories = !(Attributs & faDirectory);

    QStringList names;
    std::vector<char> enterable;
    while (const dirent* e = ::readdir(d)) {
        const char* name = e->d_name;
        const size_t len = std::char_traits<char>::length(name);
        if (!mask.matches(name, len))
            continue;
        const bool dots = isDotOrDotDot(name);
        if (dropHidden && name[0] == '.' && !dots)
            continue;
        const EntryKind kind = kindOf(fd, e);
        if (dropDirectories && kind.directory)
            continue;
        names.append(QString::fromUtf8(name, qsizetype(len)));
        enterable.push_back(kind.directory && !kind.link && !dots);
    }
    ::closedir(d);
    // In name order, as a file manager shows the directory; the file system's own order is that of
    // its hash or of the files' creation.
    Resultats.reserve(2 * names.size());
    enterable_.reserve(enterable.size());
    for (int i : naturalOrder(names)) {
        Resultats.append(Repertoire);
        Resultats.append(names[i]);
        enterable_.push_back(enterable[size_t(i)]);
    }
    return !Resultats.isEmpty();
}

QStringList trecherche::SousRepertoires(const QString& dir) const
{
    QStringList names;
    DIR* d = ::opendir(dir.isEmpty() ? "." : QFile::encodeName(dir).constData());
    if (!d)
        return names;
    const int fd = ::dirfd(d);
    while (const dirent* e = ::readdir(d)) {
        // Hidden entries are left out by the filter, and with them "." and "..".
        if (e->d_name[0] == '.')
            continue;
        const EntryKind kind = kindOf(fd, e);
        if (kind.directory && !kind.link)
            names.append(QString::fromUtf8(e->d_name));
    }
    ::closedir(d);
    QStringList sorted;
    sorted.reserve(names.size());
    for (int i : naturalOrder(names))
        sorted.append(names[i]);
    return sorted;
}
