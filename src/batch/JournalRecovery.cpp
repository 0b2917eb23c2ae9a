#include "batch/JournalRecovery.h"

#include "platform/PathUtil.h"
#include "platform/ShellFileOp.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

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
    QFile f(infoPath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : f.read(1 << 16).split('\n')) {
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

// Whether the journal holds its end line, without reading its records (start-up stays quick
// however many journals there are).
static bool endedJournal(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.readAll().contains("\nE\n");
}

int recoverJournals()
{
    int completed = 0;
    for (const QString& path : journalFiles()) {
        if (endedJournal(path))
            continue;
        const PassJournal j = readJournal(path);
        if (j.ended)
            continue;
        JournalWriter w = JournalWriter::append(path);
        if (!w.opened())
            continue;  // read-only: tried again at the next start
        QSet<QString> claimed;
        for (const JournalRecord& r : j.records)
            if (r.state == JournalState::Done)
                claimed.insert(r.used);
        for (const JournalRecord& r : j.records) {
            if (r.state != JournalState::Pending)
                continue;
            // Still where it was: the operation never ran (or a copy across file systems was cut
            // before the original went; the original counts).
            if (!r.identity.known() || identityOf(r.source).sameFile(r.identity)) {
                w.skipped(r.index);
                continue;
            }
            if (r.kind == JournalKind::Trash) {
                if (const std::optional<TrashedFile> t = findTrashedFile(r.source, r.identity)) {
                    w.done(r.index, t->inTrash, identityOf(t->inTrash), t->trashInfo);
                    continue;
                }
            } else if (const std::optional<QString> at = findPlacedFile(r.requested, r.identity, claimed)) {
                w.done(r.index, *at, identityOf(*at), {});
                claimed.insert(*at);
                continue;
            }
            w.failed(r.index, ENOENT);  // gone from its place and not found where it was going
        }
        if (w.ended())
            ++completed;
    }
    return completed;
}
