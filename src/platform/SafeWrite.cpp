#include "platform/SafeWrite.h"

#include "platform/ProgramError.h"
#include "platform/SystemCalls.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxLinkDepth = 40;  // the kernel's own limit

// The path a save replaces: symbolic links followed to the file they name (which may not exist yet).
bool resolveLinks(QByteArray path, QByteArray& resolved, int& err)
{
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            resolved = path;
            return true;
        }
        QByteArray target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.constData(), target.data(), size_t(target.size()));
        if (n < 0) {
            err = errno;
            return false;
        }
        target.truncate(n);
        path = target.startsWith('/') ? target : encodedDirectory(path) + '/' + target;
    }
    err = ELOOP;
    return false;
}

}  // namespace

QString fileErrorText(int errnum)
{
    switch (errnum) {
    case ENOENT: return QStringLiteral("Fichier introuvable");
    case EACCES:
    case EPERM: return QString::fromUtf8("Accès au fichier refusé");
    default: return QStringLiteral("Erreur E/S %1").arg(errnum);
    }
}

QString fileReasonText(int errnum)
{
    switch (errnum) {
    case 0: return QString();
    case ENOENT: return QStringLiteral("Fichier introuvable");
    case EACCES:
    case EPERM: return QString::fromUtf8("Accès au fichier refusé");
    case ENOSPC: return QStringLiteral("Disque plein");
    case EDQUOT: return QString::fromUtf8("Quota disque dépassé");
    case EFBIG: return QStringLiteral("Fichier trop grand");
    case ENAMETOOLONG: return QStringLiteral("Nom de fichier trop long");
    case EROFS: return QString::fromUtf8("Disque en lecture seule");
    case EISDIR: return QString::fromUtf8("C'est un répertoire");
    case ENOTDIR: return QString::fromUtf8("Un élément du chemin n'est pas un répertoire");
    case EEXIST: return QString::fromUtf8("Le fichier existe déjà");
    case ENOTEMPTY: return QString::fromUtf8("Répertoire non vide");
    case EBUSY:
    case ETXTBSY: return QString::fromUtf8("Fichier occupé");
    case ELOOP: return QStringLiteral("Trop de liens symboliques");
    case EXDEV: return QString::fromUtf8("Déplacement impossible entre deux disques");
    case EMFILE:
    case ENFILE: return QStringLiteral("Trop de fichiers ouverts");
    case ENOMEM: return QStringLiteral("Mémoire insuffisante");
    case EIO: return QString::fromUtf8("Erreur de lecture ou d'écriture du disque");
    case EINVAL: return QStringLiteral("Nom ou argument incorrect");
    case ENODEV:
    case ENXIO: return QStringLiteral("Périphérique absent");
    case ESTALE:
    case ENOTCONN:
    case EHOSTDOWN: return QStringLiteral("Disque réseau indisponible");
    case ETIMEDOUT: return QString::fromUtf8("Délai dépassé");
    default: return QStringLiteral("Erreur système %1").arg(errnum);
    }
}

SafeFile::SafeFile(const QString& path) : path_(path) {}

SafeFile::~SafeFile() { cancel(); }

bool SafeFile::fail(int err)
{
    if (error_ == 0)
        error_ = err != 0 ? err : EIO;
    cancel();
    return false;
}

bool SafeFile::open()
{
    cancel();
    error_ = 0;
    const QByteArray name = QFile::encodeName(path_);
    if (name.isEmpty())
        return fail(ENOENT);
    int err = 0;
    if (!resolveLinks(name, target_, err))
        return fail(err);

    struct stat st {};
    const bool exists = ::stat(target_.constData(), &st) == 0;
    if (exists) {
        if (S_ISDIR(st.st_mode))
            return fail(EISDIR);
        if (!S_ISREG(st.st_mode))
            return fail(EINVAL);  // a device or a pipe is not replaced by a file
        if (::access(target_.constData(), W_OK) != 0)
            return fail(errno);
    } else if (errno != ENOENT) {
        return fail(errno);
    }

    // A new file gets the usual 0666 less the umask, an existing one its own mode.
    fd_ = sys::createTemporary(encodedDirectory(target_), 0666, temp_);
    if (fd_ < 0)
        return fail(errno);
    // Best effort: a file system without owners or modes (a FAT memory card) still takes the save.
    if (exists) {
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid())
            (void)::fchown(fd_, st.st_uid, st.st_gid);  // allowed to root, and to a group member
        (void)::fchmod(fd_, st.st_mode & 07777);
    }
    return true;
}

bool SafeFile::write(const char* data, qint64 size)
{
    if (fd_ < 0)
        return fail(error_ != 0 ? error_ : EBADF);
    if (size > 0 && sys::writeAll(fd_, data, size_t(size)) != 0)
        return fail(errno);
    return true;
}

bool SafeFile::commit()
{
    if (fd_ < 0)
        return fail(error_ != 0 ? error_ : EBADF);
    if (sys::fsync(fd_) != 0)
        return fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (sys::close(fd) != 0)
        return fail(errno);
    if (sys::rename(temp_.constData(), target_.constData()) != 0)
        return fail(errno);
    temp_.clear();
    if (sys::syncDirectory(encodedDirectory(target_)) != 0) {
        error_ = errno;
        return false;
    }
    return true;
}

void SafeFile::cancel()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.isEmpty()) {
        ::unlink(temp_.constData());
        temp_.clear();
    }
}

int writeFileSafely(const QString& path, const QByteArray& bytes)
{
    SafeFile f(path);
    if (f.open() && f.write(bytes) && f.commit())
        return 0;
    return f.error();
}

void saveFileSafely(const QString& path, const QByteArray& bytes)
{
    if (const int err = writeFileSafely(path, bytes))
        throw ProgramError(fileErrorText(err));
}
