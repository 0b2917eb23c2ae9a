#include "platform/PictureAhead.h"

#include <QFile>

#include <sys/stat.h>

namespace {

// What tells a file apart from the one decoded earlier under the same name.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    static FileStamp of(const QString& path)
    {
        FileStamp s;
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode)) {
            s.exists = true;
            s.device = st.st_dev;
            s.inode = st.st_ino;
            s.size = st.st_size;
            s.modified = st.st_mtim;
        }
        return s;
    }
    bool operator==(const FileStamp& o) const
    {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size
               && modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
};

}  // namespace

struct PictureAhead::Job {
    QString path;
    QSize displaySize;
    bool stretched = false;
    FileStamp stamp;
    bool ok = false;
    PreparedPicture result;
};

QImage prepareForDisplay(const QImage& picture, QSize size, bool stretched)
{
    if (picture.isNull() || size.isEmpty())
        return {};
    // Smooth scaling and drawing are several times faster on 32-bit pictures than on 24-bit ones.
    const QImage::Format format =
        picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    const QImage converted = picture.convertToFormat(format);
    if (!stretched)
        return converted;
    return converted.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

PictureAhead::PictureAhead() : worker_([this] { run(); }) {}

PictureAhead::~PictureAhead()
{
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        pending_.reset();
    }
    wake_.notify_all();
    worker_.join();
}

void PictureAhead::request(const QString& path, QSize displaySize, bool stretched)
{
    const PictureKind kind = pictureKind(path);
    // Only the decoders known to be safe on a second thread.
    if (kind != PictureKind::Bitmap && kind != PictureKind::Jpeg) {
        drop();
        return;
    }
    auto job = std::make_shared<Job>();
    job->path = path;
    job->displaySize = displaySize;
    job->stretched = stretched;
    {
        std::lock_guard lock(mutex_);
        const auto same = [&](const std::shared_ptr<Job>& j) {
            return j && j->path == path && j->displaySize == displaySize && j->stretched == stretched;
        };
        if (same(running_) || same(ready_) || same(pending_))
            return;
        ready_.reset();
        pending_ = std::move(job);
    }
    wake_.notify_all();
}

void PictureAhead::drop()
{
    std::lock_guard lock(mutex_);
    pending_.reset();
    ready_.reset();
}

std::optional<PreparedPicture> PictureAhead::collect(const QString& path)
{
    std::shared_ptr<Job> job;
    {
        std::unique_lock lock(mutex_);
        if (running_ && running_->path == path)
            done_.wait(lock, [&] { return !running_ || running_->path != path; });
        if (ready_ && ready_->path == path)
            job = std::move(ready_);
        ready_.reset();
    }
    if (!job || !job->ok || !(FileStamp::of(path) == job->stamp))
        return std::nullopt;
    return std::move(job->result);
}

void PictureAhead::waitIdle()
{
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return !running_ && !pending_; });
}

void PictureAhead::run()
{
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return quit_ || pending_; });
            if (quit_)
                return;
            job = std::move(pending_);
            running_ = job;
        }
        // Stamped before reading: a file changed during the decode no longer matches afterwards.
        job->stamp = FileStamp::of(job->path);
        if (job->stamp.exists) {
            PictureResult r = loadPicture(job->path);
            if (r.ok()) {
                job->result.picture = std::move(r.image);
                job->result.displaySize = job->displaySize;
                job->result.stretched = job->stretched;
                job->result.display = prepareForDisplay(job->result.picture, job->displaySize, job->stretched);
                job->ok = true;
            }
        }
        {
            std::lock_guard lock(mutex_);
            running_.reset();
            // A newer request makes this result useless.
            if (!pending_)
                ready_ = std::move(job);
        }
        done_.notify_all();
    }
}
