#include "vidsplit/FrameSource.h"

#include "list/ListFile.h"
#include "platform/ProgramError.h"

#include <QFile>
#include <QImage>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A SER video mapped read-only. Pages of frames already read are handed back, so that a long video
// never sits in the process's memory, only in the system's file cache.
class SerSource : public FrameSource {
public:
    SerSource(const QString& path, int fd, int64_t size, const SourceOptions& options)
        : options_(options), size_(size)
    {
        void* map = ::mmap(nullptr, size_t(size), PROT_READ, MAP_SHARED, fd, 0);
        if (map == MAP_FAILED)
            throw ProgramError(videoMessage(path, fileErrorText(errno)));
        map_ = static_cast<const uint8_t*>(map);
        ::madvise(map, size_t(size), MADV_SEQUENTIAL);
        QString error;
        if (!reader_.open(map_, size, error, options.byteOrder)) {
            ::munmap(map, size_t(size));
            throw ProgramError(videoMessage(path, error));
        }
    }
    ~SerSource() override { ::munmap(const_cast<uint8_t*>(map_), size_t(size_)); }

    int64_t frameCount() const override { return reader_.frameCount(); }
    bool countIsExact() const override { return true; }
    void seek(int64_t number) override { next_ = std::max<int64_t>(0, number - 1); }
    int64_t lastNumber() const override { return next_; }
    std::optional<int64_t> lastTime() const override { return reader_.frameTime(next_ - 1); }

    FrameRead read(Frame8& out, QString&) override
    {
        if (next_ >= reader_.frameCount())
            return FrameRead::End;
        populate(next_);
        reader_.readFrame(next_, out, options_.grey);
        release(next_);
        ++next_;
        return FrameRead::Frame;
    }

    QString endError() const override
    {
        const SerHeader& h = reader_.header();
        if (h.frameCount <= reader_.frameCount())
            return {};
        return QStringLiteral("fichier SER tronqué : %1 images complètes sur les %2 annoncées")
            .arg(reader_.frameCount())
            .arg(h.frameCount);
    }

private:
    // Maps the frame's pages in one call rather than one fault per page (where the system can).
    void populate(int64_t index)
    {
#ifdef MADV_POPULATE_READ
        static const int64_t page = ::sysconf(_SC_PAGESIZE);
        const int64_t start = (reader_.frameOffset(index) / page) * page;
        ::madvise(const_cast<uint8_t*>(map_) + start, size_t(reader_.frameOffset(index + 1) - start), MADV_POPULATE_READ);
#else
        (void)index;
#endif
    }

    // Drops the pages of the frames before this one (whose samples a frame may still view) once
    // they make a few megabytes: each call costs a flush of the processor's page tables.
    void release(int64_t index)
    {
        static const int64_t page = ::sysconf(_SC_PAGESIZE);
        constexpr int64_t kReleaseStep = 16 << 20;
        const int64_t end = (reader_.frameOffset(index) / page) * page;
        if (end - released_ >= kReleaseStep) {
            ::madvise(const_cast<uint8_t*>(map_) + released_, size_t(end - released_), MADV_DONTNEED);
            released_ = end;
        }
    }

    SourceOptions options_;
    int64_t size_;
    const uint8_t* map_ = nullptr;
    SerReader reader_;
    int64_t next_ = 0;
    int64_t released_ = 0;
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
    if (S_ISREG(st.st_mode) && (serId || path.endsWith(QLatin1String(".ser"), Qt::CaseInsensitive)))
        return std::make_unique<SerSource>(path, f.fd, int64_t(st.st_size), options);
    return openFfmpegSource(path, options);
}

QImage frameImage(const Frame8& f)
{
    const QImage::Format format = f.channels == 1 ? QImage::Format_Grayscale8 : QImage::Format_BGR888;
    QImage img(f.width, f.height, format);
    for (int y = 0; y < f.height; ++y)
        std::memcpy(img.scanLine(y), f.row(y), size_t(f.width) * size_t(f.channels));
    return img;
}

QImage readFrameImage(const QString& path, int64_t number, const SourceOptions& options, QString& error)
{
    try {
        const std::unique_ptr<FrameSource> source = openFrameSource(path, options);
        source->seek(number);
        Frame8 frame;
        QString reason;
        switch (source->read(frame, reason)) {
        case FrameRead::Frame:
            return frameImage(frame);
        case FrameRead::Broken:
            error = videoMessage(path, QStringLiteral("image %1 illisible (%2)").arg(number).arg(reason));
            return {};
        case FrameRead::End:
            error = videoMessage(path, QStringLiteral("l'image %1 n'existe pas").arg(number));
            return {};
        }
    } catch (const ProgramError& e) {
        error = e.text();
    }
    return {};
}
