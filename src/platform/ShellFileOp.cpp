#include "platform/ShellFileOp.h"

#include "platform/SystemCalls.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// How many numbered names are tried before a move gives up with EEXIST.
constexpr int kMaxNumberedNames = 100000;
constexpr size_t kCopyChunk = 1 << 20;

FileOpResult failed(FileOpResult r, int err)
{
    r.ok = false;
    r.error = err != 0 ? err : EIO;
    return r;
}

QString cleanAbsolute(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

// The n-th candidate for a target: the target itself, then its numbered names.
QString candidate(const QString& target, int n)
{
    if (n == 1)
        return target;
    const qsizetype slash = target.lastIndexOf('/');
    return target.left(slash + 1) + numberedName(target.mid(slash + 1), n);
}

// Puts from at the first free candidate of target without replacing anything. 0 and the name
// used, or the errno of the first failure other than a taken name.
int placeWithoutReplacing(const QByteArray& from, const QString& target, QString& used)
{
    for (int n = 1; n <= kMaxNumberedNames; ++n) {
        const QString to = candidate(target, n);
        if (sys::renameNoReplace(from.constData(), QFile::encodeName(to).constData()) == 0) {
            used = to;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

// The move across file systems: copy, sync, place without replacing, and only then remove the
// source. Any failure leaves the source as it was and removes what was made.
FileOpResult copyAcross(FileOpResult r, const QByteArray& src, const struct stat& st)
{
    if (!S_ISREG(st.st_mode))
        return failed(r, EXDEV);  // only plain files are copied; links and folders are not moved apart
    const int in = sys::open(src.constData(), O_RDONLY | O_NOFOLLOW);
    if (in < 0)
        return failed(r, errno);
    const QByteArray dir = encodedDirectory(QFile::encodeName(r.requested));
    QByteArray temp;
    const int out = sys::createTemporary(dir, 0600, temp);
    if (out < 0) {
        const int err = errno;
        ::close(in);
        return failed(r, err);
    }
    auto abandon = [&](int err, bool outOpen) {
        if (outOpen)
            ::close(out);
        ::close(in);
        ::unlink(temp.constData());
        return failed(r, err);
    };

    std::vector<char> buffer(kCopyChunk);
    for (;;) {
        const ssize_t n = sys::read(in, buffer.data(), buffer.size());
        if (n < 0)
            return abandon(errno, true);
        if (n == 0)
            break;
        if (sys::writeAll(out, buffer.data(), size_t(n)) != 0)
            return abandon(errno, true);
    }
    // The copy keeps what the file manager shows of the original: mode, times, owner if allowed.
    (void)::fchown(out, st.st_uid, st.st_gid);
    (void)::fchmod(out, st.st_mode & 07777);  // a FAT memory card has no modes to keep
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    (void)::futimens(out, times);
    if (sys::fsync(out) != 0)
        return abandon(errno, true);
    if (sys::close(out) != 0)
        return abandon(errno, false);
    ::close(in);

    if (const int err = placeWithoutReplacing(temp, r.requested, r.used)) {
        ::unlink(temp.constData());
        r.used.clear();
        return failed(r, err);
    }
    const QByteArray placed = QFile::encodeName(r.used);
    // The copy must be on disk under its name before the only other copy goes.
    int err = sys::syncDirectory(dir) != 0 ? errno : 0;
    if (err == 0 && sys::unlink(src.constData()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(placed.constData());
        r.used.clear();
        return failed(r, err);
    }
    (void)sys::syncDirectory(encodedDirectory(src));
    r.ok = true;
    return r;
}

// The .trashinfo record of a file in a trash's "files" folder.
QString trashInfoPath(const QString& inTrash)
{
    const QString filesDir = QFileInfo(inTrash).absolutePath();
    return QFileInfo(filesDir).absolutePath() + QStringLiteral("/info/") + QFileInfo(inTrash).fileName()
        + QStringLiteral(".trashinfo");
}

// The record names the original place, so that the file can be restored there.
bool trashInfoNames(const QString& infoPath, const QString& original)
{
    QFile f(infoPath);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = f.read(1 << 16).split('\n');
    if (lines.isEmpty() || lines.front().trimmed() != "[Trash Info]")
        return false;
    const QString want = cleanAbsolute(original);
    // The value should be URL-encoded, but some writers store the bytes as they are; trashes at the
    // top of a volume may name the file relative to that top.
    auto names = [&want](const QString& path) {
        return !path.isEmpty()
            && (QDir::cleanPath(path) == want || (!path.startsWith('/') && want.endsWith('/' + QDir::cleanPath(path))));
    };
    for (const QByteArray& line : lines) {
        if (!line.startsWith("Path="))
            continue;
        const QByteArray value = line.mid(5).trimmed();
        return names(QFile::decodeName(value)) || names(QFile::decodeName(QByteArray::fromPercentEncoding(value)));
    }
    return false;
}

// A place inside a freedesktop.org trash: an absolute path in the "files" folder of a folder named
// "Trash" (the home trash), ".Trash-<uid>" or "<uid>" below ".Trash" (trashes at a volume's top).
bool isTrashLocation(const QString& inTrash)
{
    if (!inTrash.startsWith('/'))
        return false;
    const QStringList parts = QDir::cleanPath(inTrash).split('/');
    if (parts.size() < 4 || parts[parts.size() - 2] != QLatin1String("files"))
        return false;
    const QString trash = parts[parts.size() - 3];
    const QString uid = QString::number(::getuid());
    return trash == QLatin1String("Trash") || trash == QStringLiteral(".Trash-") + uid
        || (trash == uid && parts.size() >= 5 && parts[parts.size() - 4] == QLatin1String(".Trash"));
}

bool exists(const QByteArray& path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

}  // namespace

QString numberedName(const QString& name, int n)
{
    const qsizetype dot = name.lastIndexOf('.');
    const bool hasExtension = dot > 0 && dot < name.size() - 1;
    const QString number = QStringLiteral(" (%1)").arg(n);
    return hasExtension ? name.left(dot) + number + name.mid(dot) : name + number;
}

FileOpResult SystemFileOp::SendToRecycleBin(const QString& path)
{
    FileOpResult r;
    r.source = path;
    const QByteArray src = QFile::encodeName(path);
    if (src.isEmpty())
        return failed(r, ENOENT);
    if (!exists(src))
        return failed(r, errno);
    // Qt takes the current folder for the trash when the data folder does not exist yet.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty())
        return failed(r, ENOENT);
    if (!QFileInfo(dataHome).isDir()) {
        if (!QDir().mkpath(dataHome))
            return failed(r, EACCES);
        QFile::setPermissions(dataHome, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString inTrash;
    if (!QFile::moveToTrash(path, &inTrash)) {
        if (!exists(src))
            return failed(r, errno);
        const QByteArray dir = encodedDirectory(src);
        return failed(r, ::access(dir.constData(), W_OK | X_OK) != 0 ? errno : EIO);
    }
    const QByteArray trashed = QFile::encodeName(inTrash);
    const QString info = trashInfoPath(inTrash);
    if (isTrashLocation(inTrash) && exists(trashed) && !exists(src) && trashInfoNames(info, path)) {
        r.ok = true;
        r.used = inTrash;
        r.trashInfo = info;
        return r;
    }
    // Outside a real trash, or without a record that names its place, the file could not be
    // restored: it goes back.
    if (!inTrash.isEmpty() && exists(trashed) && !exists(src)) {
        if (sys::renameNoReplace(trashed.constData(), src.constData()) == 0)
            QFile::remove(info);
        else
            r.used = inTrash;  // still in the trash: the caller is told where
    }
    return failed(r, EIO);
}

FileOpResult ShellFileOp::ShellMakeDirectory(const QString& path)
{
    FileOpResult r;
    r.source = path;
    r.requested = path;
    const QByteArray dir = QFile::encodeName(path);
    if (dir.isEmpty())
        return failed(r, ENOENT);
    if (::mkdir(dir.constData(), 0777) != 0)
        return failed(r, errno);
    r.ok = true;
    r.used = path;
    return r;
}

FileOpResult SystemFileOp::ShellMoveFile(const QString& source, const QString& target)
{
    return transfer(source, target, true);
}

FileOpResult SystemFileOp::ShellRenameFile(const QString& source, const QString& newPath)
{
    return transfer(source, newPath, false);
}

FileOpResult SystemFileOp::transfer(const QString& source, const QString& target, bool mayCopy)
{
    FileOpResult r;
    r.source = source;
    r.requested = target;
    const QByteArray src = QFile::encodeName(source);
    if (src.isEmpty() || target.isEmpty())
        return failed(r, ENOENT);
    if (target.endsWith('/'))
        return failed(r, EISDIR);
    struct stat st {};
    if (::lstat(src.constData(), &st) != 0)
        return failed(r, errno);
    // Moving a file onto its own place leaves it there, under its name.
    if (cleanAbsolute(source) == cleanAbsolute(target)) {
        r.ok = true;
        r.used = target;
        return r;
    }
    if (forceCopy && mayCopy)
        return copyAcross(r, src, st);

    const int err = placeWithoutReplacing(src, target, r.used);
    if (err == EXDEV && mayCopy)
        return copyAcross(r, src, st);
    if (err != 0) {
        r.used.clear();
        return failed(r, err);
    }
    // A rename is atomic: after a crash the file is under one name or the other, never lost, so
    // the folders are not synced (that would cost a journal commit per file of a batch).
    r.ok = true;
    return r;
}

namespace {
ShellFileOp* g_ops = nullptr;
}

ShellFileOp& fileOps()
{
    static SystemFileOp system;
    return g_ops ? *g_ops : system;
}

void setFileOps(ShellFileOp* ops) { g_ops = ops; }
