#include "platform/SystemCalls.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

SystemCallFault g_fault;

// The fault a test set for this call, or 0.
int faultFor(SystemCall call)
{
    return g_fault ? g_fault(call) : 0;
}

bool failWith(int err)
{
    if (err <= 0)
        return false;
    errno = err;
    return true;
}

template <class F>
auto retry(F f)
{
    for (;;) {
        auto r = f();
        if (r >= 0 || errno != EINTR)
            return r;
    }
}

}  // namespace

void setSystemCallFault(SystemCallFault hook) { g_fault = std::move(hook); }

namespace sys {

int open(const char* path, int flags, mode_t mode)
{
    if (failWith(faultFor(SystemCall::Open)))
        return -1;
    return retry([&] { return ::open(path, flags | O_CLOEXEC, mode); });
}

ssize_t read(int fd, void* data, size_t size)
{
    if (failWith(faultFor(SystemCall::Read)))
        return -1;
    return retry([&] { return ::read(fd, data, size); });
}

int writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const int fault = faultFor(SystemCall::Write);
        if (failWith(fault))
            return -1;
        const size_t want = fault == kShortWrite && size > 1 ? size / 2 : size;
        const ssize_t n = retry([&] { return ::write(fd, data, want); });
        if (n < 0)
            return -1;
        if (n == 0) {  // a write that makes no progress would loop for ever
            errno = ENOSPC;
            return -1;
        }
        data += n;
        size -= size_t(n);
    }
    return 0;
}

int fsync(int fd)
{
    if (failWith(faultFor(SystemCall::Fsync)))
        return -1;
    return retry([&] { return ::fsync(fd); });
}

int close(int fd)
{
    // The descriptor is released even when the test fails the call, as the system does.
    if (failWith(faultFor(SystemCall::Close))) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    // close is not retried: after EINTR the descriptor is already gone on Linux.
    return ::close(fd);
}

int rename(const char* from, const char* to)
{
    if (failWith(faultFor(SystemCall::Rename)))
        return -1;
    return ::rename(from, to);
}

int renameNoReplace(const char* from, const char* to)
{
    const int fault = faultFor(SystemCall::Rename);
    int r = -1;
    if (!failWith(fault))
        r = ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
    if (r == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return -1;
    // No no-replace rename on this file system: a hard link cannot replace either.
    if (failWith(faultFor(SystemCall::Link)) || ::link(from, to) != 0)
        return -1;
    if (sys::unlink(from) != 0) {
        const int err = errno;
        ::unlink(to);
        errno = err;
        return -1;
    }
    return 0;
}

int unlink(const char* path)
{
    if (failWith(faultFor(SystemCall::Unlink)))
        return -1;
    return ::unlink(path);
}

int syncDirectory(const QByteArray& dir)
{
    if (failWith(faultFor(SystemCall::DirSync)))
        return -1;
    const int fd = retry([&] { return ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
    if (fd < 0)
        return -1;
    int r = retry([&] { return ::fsync(fd); });
    if (r != 0 && errno == EINVAL)
        r = 0;
    const int err = errno;
    ::close(fd);
    errno = err;
    return r;
}

int createTemporary(const QByteArray& dir, int mode, QByteArray& path)
{
    // A fixed, short name, so that a target name near the system's limit still leaves room for it.
    const QByteArray base = dir.endsWith('/') ? dir : dir + '/';
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, ".velmoran-%016llx.tmp",
                      static_cast<unsigned long long>(QRandomGenerator::global()->generate64()));
        path = base + name;
        const int fd = sys::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, mode_t(mode));
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace sys

QByteArray encodedDirectory(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}
