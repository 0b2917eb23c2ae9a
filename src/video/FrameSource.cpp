#include "video/FrameSource.h"

#include "platform/ProgramError.h"
#include "platform/SafeWrite.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A SER video read frame by frame from its file. It is read rather than mapped: when another
// program shortens the file meanwhile, a mapping would kill this process at the first page past
// the new end; a read only comes back short, and the extraction ends there.
class SerSource : public FrameSource {
public:
    // Takes fd over once constructed.
    SerSource(const QString& path, int fd, int64_t size, const SourceOptions& options) : options_(options), fd_(fd)
    {
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        QString error;
        if (!reader_.openFile(fd, size, error, options.byteOrder))
            throw ProgramError(videoMessage(path, error));
    }
    ~SerSource() override { ::close(fd_); }

    int64_t frameCount() const override { return reader_.frameCount(); }
    bool countIsExact() const override { return true; }
    void seek(int64_t number) override { next_ = std::max<int64_t>(0, number - 1); }
    int64_t lastNumber() const override { return next_; }
    std::optional<int64_t> lastTime() const override { return reader_.frameTime(next_ - 1); }

    FrameRead read(Frame8& out, QString&) override
    {
        if (next_ >= reader_.frameCount() || !shortened_.isEmpty())
            return FrameRead::End;
        if (!reader_.readFrame(next_, out, options_.grey)) {
            const int reason = errno;
            shortened_ = reason == 0 ? QStringLiteral("fichier tronqué pendant la lecture : l'image %1 manque").arg(next_ + 1)
                                     : QStringLiteral("image %1 illisible (%2)").arg(next_ + 1).arg(fileErrorText(reason));
            return FrameRead::End;
        }
        ++next_;
        return FrameRead::Frame;
    }

    QString endError() const override
    {
        if (!shortened_.isEmpty())
            return shortened_;
        const SerHeader& h = reader_.header();
        if (h.frameCount <= reader_.frameCount())
            return {};
        return QStringLiteral("fichier SER tronqué : %1 images complètes sur les %2 annoncées")
            .arg(reader_.frameCount())
            .arg(h.frameCount);
    }

private:
    SourceOptions options_;
    int fd_;
    SerReader reader_;
    int64_t next_ = 0;
    QString shortened_;  // why reading ended before the last frame
};

struct Fd {
    int fd;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

}  // namespace

QString videoMessage(const QString& path, const QString& reason)
{
    return QStringLiteral("%1 : %2").arg(path, reason);
}

std::unique_ptr<FrameSource> openFrameSource(const QString& path, const SourceOptions& options)
{
    const QByteArray name = QFile::encodeName(path);
    Fd f{::open(name.constData(), O_RDONLY | O_CLOEXEC)};
    if (f.fd < 0)
        throw ProgramError(videoMessage(path, fileErrorText(errno)));
    struct stat st {};
    if (::fstat(f.fd, &st) != 0)
        throw ProgramError(videoMessage(path, fileErrorText(errno)));
    if (S_ISDIR(st.st_mode))
        throw ProgramError(videoMessage(path, QStringLiteral("c'est un répertoire")));
    if (S_ISREG(st.st_mode) && st.st_size == 0)
        throw ProgramError(videoMessage(path, QStringLiteral("fichier vide")));

    char head[14] = {};
    const ssize_t n = ::pread(f.fd, head, sizeof head, 0);
    const bool serId = n == ssize_t(sizeof head) && std::memcmp(head, "LUCAM-RECORDER", sizeof head) == 0;
    if (S_ISREG(st.st_mode) && (serId || path.endsWith(QLatin1String(".ser"), Qt::CaseInsensitive))) {
        auto source = std::make_unique<SerSource>(path, f.fd, int64_t(st.st_size), options);
        f.fd = -1;  // the source's now
        return source;
    }
    return openFfmpegSource(path, options);
}
