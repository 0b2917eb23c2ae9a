#include "vidsplit/NewFile.h"

#include "list/ListFile.h"
#include "platform/PathUtil.h"
#include "platform/ProgramError.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxNameTries = 10000;

ProgramError writeError(const QString& path, int err)
{
    return ProgramError(QStringLiteral("Impossible d'écrire %1 : %2").arg(path, fileErrorText(err)));
}

// An unnamed file is linked through /proc; without it the named way is taken.
bool canLinkUnnamed()
{
    static const bool yes = ::access("/proc/self/fd", X_OK) == 0;
    return yes;
}

}  // namespace

NewFile::NewFile(const QString& path) : path_(path)
{
    const QString dirPart = directoryPart(path);
    const QByteArray dir = QFile::encodeName(dirPart.isEmpty() ? QStringLiteral(".") : dirPart);
    if (canLinkUnnamed()) {
        fd_ = ::open(dir.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ >= 0)
            return;
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            throw writeError(path, errno);
    }
    // A hidden temporary name beside the target.
    static std::atomic<unsigned> serial{0};
    for (int tries = 0; fd_ < 0; ++tries) {
        temp_ = dir + "/." + QFile::encodeName(namePart(path)) + ".vidsplit-" + QByteArray::number(::getpid())
                + "-" + QByteArray::number(serial++);
        fd_ = ::open(temp_.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ < 0 && (errno != EEXIST || tries > 100))
            throw writeError(path, errno);
    }
}

NewFile::~NewFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!temp_.isEmpty())
        ::unlink(temp_.constData());
}

void NewFile::write(const void* data, size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw writeError(path_, errno);
        }
        p += n;
        size -= size_t(n);
    }
}

void NewFile::setTime(int64_t nanos)
{
    const timespec times[2] = {{0, UTIME_OMIT}, {time_t(nanos / 1000000000), long(nanos % 1000000000)}};
    ::futimens(fd_, times);  // a time that cannot be set leaves the time of writing
}

QString NewFile::publish()
{
    const QByteArray proc = "/proc/self/fd/" + QByteArray::number(fd_);
    if (!temp_.isEmpty()) {
        const int r = ::close(fd_);  // a late write error shows here
        fd_ = -1;
        if (r != 0)
            throw writeError(path_, errno);
    }
    for (int k = 1; k <= kMaxNameTries; ++k) {
        const QString candidate = numberedFileName(path_, k);
        const QByteArray name = QFile::encodeName(candidate);
        int r;
        if (temp_.isEmpty()) {
            r = ::linkat(AT_FDCWD, proc.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW);
        } else {
            r = ::renameat2(AT_FDCWD, temp_.constData(), AT_FDCWD, name.constData(), RENAME_NOREPLACE);
            // File systems without the flag: a hard link refuses a taken name just as well.
            if (r != 0 && (errno == EINVAL || errno == ENOSYS))
                r = ::link(temp_.constData(), name.constData());
        }
        if (r == 0) {
            if (temp_.isEmpty()) {
                ::close(fd_);
                fd_ = -1;
            } else {
                ::unlink(temp_.constData());  // after a hard link, the temporary name is left over
                temp_.clear();
            }
            return candidate;
        }
        if (errno != EEXIST)
            throw writeError(candidate, errno);
    }
    throw writeError(path_, EEXIST);
}

QString publishNewFile(const QString& path, const void* data, size_t size, std::optional<int64_t> mtimeNanos)
{
    NewFile f(path);
    f.write(data, size);
    if (mtimeNanos)
        f.setTime(*mtimeNanos);
    return f.publish();
}

QString numberedFileName(const QString& path, int k)
{
    if (k <= 1)
        return path;
    const QString dir = directoryPart(path);
    const QString name = namePart(path);
    const qsizetype dot = name.lastIndexOf('.');
    const QString suffix = QStringLiteral(" (%1)").arg(k);
    if (dot <= 0)
        return dir + name + suffix;
    return dir + name.left(dot) + suffix + name.mid(dot);
}

void checkWritableDirectory(const QString& dir)
{
    const QByteArray name = QFile::encodeName(dir.isEmpty() ? QStringLiteral(".") : dir);
    struct stat st {};
    int err = 0;
    if (::stat(name.constData(), &st) != 0)
        err = errno;
    else if (!S_ISDIR(st.st_mode))
        err = ENOTDIR;
    else if (::access(name.constData(), W_OK | X_OK) != 0)
        err = errno;
    if (err != 0)
        throw ProgramError(QStringLiteral("Impossible d'écrire dans %1 : %2").arg(dir, fileErrorText(err)));
}
