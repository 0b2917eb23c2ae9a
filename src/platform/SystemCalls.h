#pragma once
// The system calls through which the program writes, moves and syncs files. Each passes one point
// where a test can make it fail, so that every step of a save or a move can be shown to be safe.
// All return like the calls they wrap (-1 and errno on failure) and retry on EINTR.
#include <QByteArray>
#include <functional>
#include <sys/types.h>

enum class SystemCall { Open, Read, Write, Fsync, Close, Rename, Link, Unlink, DirSync };

// A test's fault for one call: the errno the call fails with, 0 to let it run, or kShortWrite (for
// Write only): the call writes part of its bytes and reports that count, as a nearly full disk does.
constexpr int kShortWrite = -1;
using SystemCallFault = std::function<int(SystemCall)>;
// Installs the fault hook; an empty one removes it.
void setSystemCallFault(SystemCallFault hook);

namespace sys {

int open(const char* path, int flags, mode_t mode = 0);
ssize_t read(int fd, void* data, size_t size);
// Writes all of size bytes, going on after short writes; 0, or -1 with errno.
int writeAll(int fd, const char* data, size_t size);
int fsync(int fd);
int close(int fd);
// rename(2): replaces the target.
int rename(const char* from, const char* to);
// Renames without ever replacing the target (EEXIST when it is taken): renameat2 with
// RENAME_NOREPLACE, or link then unlink on file systems without it.
int renameNoReplace(const char* from, const char* to);
int unlink(const char* path);
// Syncs a directory, so that a rename or unlink in it survives a crash. File systems that cannot
// sync a directory (EINVAL) count as synced.
int syncDirectory(const QByteArray& dir);

// Creates a new empty file in dir under a fresh hidden temporary name with O_EXCL; its descriptor
// (open for writing), or -1 with errno. path receives its full path.
int createTemporary(const QByteArray& dir, int mode, QByteArray& path);

}  // namespace sys

// Directory part of an encoded path without its last '/': "." for a bare name, "/" for the root.
QByteArray encodedDirectory(const QByteArray& path);
