#include "batch/JournalRecovery.h"

#include "platform/PathUtil.h"
#include "platform/ScopeExit.h"
#include "platform/ShellFileOp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The numbered names are taken in order, so the search ends after a few free ones in a row.
constexpr int kFreeNamesInARow = 3;
constexpr int kMaxNumberedNames = 100000;

QString candidateName(const QString& requested, int n)
{
    if (n == 1)
        return requested;
    return directoryPart(requested) + numberedName(namePart(requested), n);
}

// The top of the file system that holds path: the last folder up the tree on the same device.
QString fileSystemTop(const QString& path)
{
    struct stat st {};
    QString dir = QFileInfo(path).absolutePath();
    if (::stat(QFile::encodeName(dir).constData(), &st) != 0)
        return {};
    const dev_t dev = st.st_dev;
    while (dir != QLatin1String("/")) {
        const QString up = QFileInfo(dir).absolutePath();
        if (::stat(QFile::encodeName(up).constData(), &st) != 0 || st.st_dev != dev)
            break;
        dir = up;
    }
    return dir;
}

// The trashes a file at source may have gone to.
QStringList trashesFor(const QString& source)
{
    QStringList out = {QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash")};
    const QString top = fileSystemTop(source);
    if (!top.isEmpty()) {
        const QString uid = QString::number(::getuid());
        const QString base = top == QLatin1String("/") ? QString() : top;
        out << base + QStringLiteral("/.Trash-") + uid << base + QStringLiteral("/.Trash/") + uid;
    }
    return out;
}

// The original path a .trashinfo record names (absolute, or relative to the top of its volume).
QString trashInfoOriginal(const QString& infoPath, const QString& top)
{
    // A plain file only, and its beginning only: the trash is a folder anyone may put anything in.
    const int fd = ::open(QFile::encodeName(infoPath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    ScopeExit closeFile([fd] { ::close(fd); });
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    QByteArray head(1 << 16, Qt::Uninitialized);
    const ssize_t n = ::read(fd, head.data(), size_t(head.size()));
    head.truncate(n > 0 ? qsizetype(n) : 0);
    for (const QByteArray& line : head.split('\n')) {
        if (!line.startsWith("Path="))
            continue;
        const QString p = QFile::decodeName(QByteArray::fromPercentEncoding(line.mid(5).trimmed()));
        return p.startsWith('/') ? QDir::cleanPath(p) : QDir::cleanPath(top + QLatin1Char('/') + p);
    }
    return {};
}

}  // namespace

std::optional<QString> findPlacedFile(const QString& requested, const FileIdentity& id, const QSet<QString>& claimed)
{
    if (requested.isEmpty() || !id.known())
        return std::nullopt;
    int free = 0;
    for (int n = 1; n <= kMaxNumberedNames && free < kFreeNamesInARow; ++n) {
        const QString c = candidateName(requested, n);
        const FileIdentity at = identityOf(c);
        if (!at.known()) {
            ++free;
            continue;
        }
        free = 0;
        if ((at.sameFile(id) || at.sameCopy(id)) && !claimed.contains(c))
            return c;
    }
    return std::nullopt;
}

std::optional<TrashedFile> findTrashedFile(const QString& source, const FileIdentity& id)
{
    if (!id.known())
        return std::nullopt;
    const QString want = QDir::cleanPath(source);
    const QString top = fileSystemTop(source);
    for (const QString& trash : trashesFor(source)) {
        const QDir info(trash + QStringLiteral("/info"));
        if (!info.exists())
            continue;
        for (const QString& name : info.entryList({QStringLiteral("*.trashinfo")}, QDir::Files)) {
            const QString inTrash = trash + QStringLiteral("/files/") + name.chopped(10);
            if (!identityOf(inTrash).sameFile(id))
                continue;
            // The file is ours; the record must name where it came from, or it could not be restored.
            const QString infoTop = trash.endsWith(QStringLiteral("/Trash")) ? QString() : top;
            if (trashInfoOriginal(info.filePath(name), infoTop) == want)
                return TrashedFile{inTrash, info.filePath(name)};
        }
    }
    return std::nullopt;
}

bool isTrashedPlace(const QString& inTrash, const QString& info)
{
    if (!inTrash.startsWith('/') || QDir::cleanPath(inTrash) != inTrash)
        return false;
    const QStringList parts = inTrash.split('/');
    if (parts.size() < 4 || parts[parts.size() - 2] != QLatin1String("files"))
        return false;
    const QString name = parts.back();
    const QString trash = parts[parts.size() - 3];
    const QString uid = QString::number(::getuid());
    const bool isTrash = trash == QLatin1String("Trash") || trash == QStringLiteral(".Trash-") + uid
        || (trash == uid && parts.size() >= 5 && parts[parts.size() - 4] == QLatin1String(".Trash"));
    if (!isTrash || name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    const QString trashDir = parts.mid(0, parts.size() - 2).join('/');
    return info == trashDir + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo");
}

bool isPlacedName(const QString& requested, const QString& used)
{
    if (requested.isEmpty() || used.isEmpty())
        return false;
    if (used == requested)
        return true;
    if (directoryPart(used) != directoryPart(requested))
        return false;
    // "name (n).ext": n is read from used, and the name it gives must be used's exactly.
    const QString name = namePart(used);
    const qsizetype open = name.lastIndexOf(QStringLiteral(" ("));
    const qsizetype close = name.indexOf(')', open);
    if (open < 0 || close < 0)
        return false;
    bool ok = false;
    const int n = name.mid(open + 2, close - open - 2).toInt(&ok);
    return ok && n >= 2 && n <= kMaxNumberedNames && numberedName(namePart(requested), n) == name;
}

PendingOutcome settlePending(const JournalRecord& r, const QSet<QString>& claimed)
{
    PendingOutcome o;
    if (!r.identity.known() || identityOf(r.source).sameFile(r.identity)) {
        o.what = PendingOutcome::NotStarted;
        return o;
    }
    if (r.kind == JournalKind::Trash) {
        if (const std::optional<TrashedFile> t = findTrashedFile(r.source, r.identity)) {
            o.what = PendingOutcome::Done;
            o.used = t->inTrash;
            o.trashInfo = t->trashInfo;
        }
    } else if (const std::optional<QString> at = findPlacedFile(r.requested, r.identity, claimed)) {
        o.what = PendingOutcome::Done;
        o.used = *at;
    }
    if (o.what == PendingOutcome::Done)
        o.usedIdentity = identityOf(o.used);
    return o;
}

namespace {

// Opens a plain file for reading, not following a final link; -1 otherwise.
int openPlain(const QString& path, struct stat& st)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Whether the bytes of copy are those of original, or (prefix) their beginning.
bool sameBytes(const QString& copy, const QString& original, bool prefix)
{
    struct stat a {}, b {};
    const int fa = openPlain(copy, a);
    const int fb = fa < 0 ? -1 : openPlain(original, b);
    ScopeExit closeBoth([fa, fb] {
        if (fa >= 0)
            ::close(fa);
        if (fb >= 0)
            ::close(fb);
    });
    if (fb < 0 || (prefix ? a.st_size > b.st_size : a.st_size != b.st_size))
        return false;
    constexpr size_t kChunk = size_t(1) << 20;
    std::vector<char> x(kChunk), y(kChunk);
    for (off_t left = a.st_size; left > 0;) {
        const ssize_t n = ::read(fa, x.data(), size_t(std::min<off_t>(left, off_t(kChunk))));
        if (n <= 0 || ::read(fb, y.data(), size_t(n)) != n || std::memcmp(x.data(), y.data(), size_t(n)) != 0)
            return false;
        left -= n;
    }
    return true;
}

bool isTemporaryName(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral("^\\.velmoran-[0-9a-f]{16}\\.tmp$"));
    return pattern.match(name).hasMatch();
}

// A move across file systems copies under a hidden temporary name, places the copy, and only then
// removes the original: a kill between leaves a part copy, or a whole one beside the original.
// Each goes when its bytes show it is a copy of an original that is still in place.
void removeLeftoverCopies(const std::vector<const JournalRecord*>& notStarted, const QSet<QString>& claimed)
{
    QHash<QString, std::vector<const JournalRecord*>> byFolder;
    for (const JournalRecord* r : notStarted) {
        if (r->kind == JournalKind::Trash || !r->identity.known())
            continue;
        byFolder[directoryPart(r->requested)].push_back(r);
        // A whole copy: at the first name of the requested ones that holds a file of the same
        // size and time, another inode, and the same bytes.
        int free = 0;
        for (int n = 1; n <= kMaxNumberedNames && free < kFreeNamesInARow; ++n) {
            const QString c = candidateName(r->requested, n);
            const FileIdentity at = identityOf(c);
            if (!at.known()) {
                ++free;
                continue;
            }
            free = 0;
            if (!claimed.contains(c) && at.sameCopy(r->identity) && sameBytes(c, r->source, false)) {
                QFile::remove(c);
                break;
            }
        }
    }
    for (auto it = byFolder.cbegin(); it != byFolder.cend(); ++it) {
        const QDir folder(it.key().isEmpty() ? QStringLiteral(".") : it.key());
        const QStringList temps = folder.entryList({QStringLiteral(".velmoran-*.tmp")}, QDir::Files | QDir::Hidden);
        for (const QString& name : temps) {
            if (!isTemporaryName(name))
                continue;
            const QString temp = folder.filePath(name);
            for (const JournalRecord* r : it.value())
                if (sameBytes(temp, r->source, true)) {
                    QFile::remove(temp);
                    break;
                }
        }
    }
}

// The trash writes the file's record before it moves the file: a kill between leaves a record of
// a file that is not in the trash. Those that name a source still in place go.
void removeOrphanTrashInfos(const std::vector<const JournalRecord*>& notStarted)
{
    QSet<QString> sources;
    QSet<QString> trashes;
    for (const JournalRecord* r : notStarted) {
        if (r->kind != JournalKind::Trash)
            continue;
        sources.insert(QDir::cleanPath(r->source));
        for (const QString& t : trashesFor(r->source))
            trashes.insert(t);
    }
    for (const QString& trash : std::as_const(trashes)) {
        const QDir info(trash + QStringLiteral("/info"));
        if (!info.exists())
            continue;
        // Paths relative to a volume's top are read from the top that holds the trash.
        QString top;
        if (!trash.endsWith(QStringLiteral("/Trash")))
            top = trash.section('/', 0, trash.contains(QStringLiteral("/.Trash/")) ? -3 : -2);
        for (const QString& name : info.entryList({QStringLiteral("*.trashinfo")}, QDir::Files | QDir::Hidden)) {
            if (identityOf(trash + QStringLiteral("/files/") + name.chopped(10)).known())
                continue;
            if (sources.contains(trashInfoOriginal(info.filePath(name), top)))
                QFile::remove(info.filePath(name));
        }
    }
}

}  // namespace

int recoverJournals()
{
    int completed = 0;
    for (const QString& path : journalFiles()) {
        if (journalEnded(path))
            continue;
        const PassJournal j = readJournal(path);
        if (j.readError != 0 || j.ended)
            continue;
        JournalWriter w = JournalWriter::append(path);
        if (!w.opened())
            continue;  // read-only or full: tried again at the next start
        QSet<QString> claimed;
        for (const JournalRecord& r : j.records)
            if (r.state == JournalState::Done)
                claimed.insert(r.used);
        std::vector<const JournalRecord*> notStarted;
        for (const JournalRecord& r : j.records) {
            if (r.state != JournalState::Pending)
                continue;
            const PendingOutcome o = settlePending(r, claimed);
            if (o.what == PendingOutcome::NotStarted) {
                w.skipped(r.index);
                notStarted.push_back(&r);
            } else if (o.what == PendingOutcome::Done) {
                w.done(r.index, o.used, o.usedIdentity, o.trashInfo);
                claimed.insert(o.used);
            }
            // Lost: left pending; the undo looks for it again and says it could not put it back.
        }
        removeLeftoverCopies(notStarted, claimed);
        removeOrphanTrashInfos(notStarted);
        if (w.ended())
            ++completed;
    }
    return completed;
}
