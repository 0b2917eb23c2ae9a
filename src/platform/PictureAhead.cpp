#include "platform/PictureAhead.h"

#include "platform/DisplayStretch.h"
#include "video/FrameEntry.h"

#include <QFile>

#include <algorithm>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// What tells a file apart from the one decoded earlier under the same name.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    // A frame entry's file is its video.
    static FileStamp of(const QString& entryPath)
    {
        QString path = entryPath;
        const qsizetype slash = entryPath.lastIndexOf(QLatin1Char('/'));
        if (const std::optional<FrameEntry> frame = parseFrameEntry(entryPath.mid(slash + 1)))
            path = entryPath.left(slash + 1) + frame->video;
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
    uint64_t stretchGeneration = 0;  // the display stretch the picture was made under
    bool ok = false;
    PreparedPicture result;
};

namespace {

// The picture reduced by factor × factor boxes (each pixel the mean of its box), as RGB32: a 26 MP
// frame shown in a window is first brought near the window's size this way, several times faster
// than smooth scaling the whole of it.
QImage boxReduce(const QImage& picture, int factor)
{
    const bool grey = picture.format() == QImage::Format_Grayscale8;
    const int w = picture.width() / factor, h = picture.height() / factor;
    QImage out(w, h, QImage::Format_RGB32);
    if (out.isNull())
        return out;
    const unsigned area = unsigned(factor * factor);
    auto rows = [&](int y0, int y1) {
        std::vector<unsigned> sum(size_t(w) * 3);
        for (int y = y0; y < y1; ++y) {
            std::fill(sum.begin(), sum.end(), 0u);
            for (int k = 0; k < factor; ++k) {
                const uchar* line = picture.constScanLine(y * factor + k);
                if (grey) {
                    for (int x = 0; x < w; ++x) {
                        unsigned s = 0;
                        for (int j = 0; j < factor; ++j)
                            s += line[x * factor + j];
                        sum[size_t(x)] += s;
                    }
                } else {
                    const auto* px = reinterpret_cast<const QRgb*>(line);
                    for (int x = 0; x < w; ++x)
                        for (int j = 0; j < factor; ++j) {
                            const QRgb c = px[x * factor + j];
                            sum[size_t(3 * x)] += qRed(c);
                            sum[size_t(3 * x + 1)] += qGreen(c);
                            sum[size_t(3 * x + 2)] += qBlue(c);
                        }
                }
            }
            auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < w; ++x) {
                if (grey) {
                    const int v = int(sum[size_t(x)] / area);
                    dst[x] = qRgb(v, v, v);
                } else {
                    dst[x] = qRgb(int(sum[size_t(3 * x)] / area), int(sum[size_t(3 * x + 1)] / area),
                                  int(sum[size_t(3 * x + 2)] / area));
                }
            }
        }
    };
    std::thread other(rows, h / 2, h);
    rows(0, h / 2);
    other.join();
    return out;
}

}  // namespace

QImage prepareForDisplay(const QImage& picture, QSize size, bool stretched)
{
    if (picture.isNull() || size.isEmpty())
        return {};
    const int factor = std::min(picture.width() / size.width(), picture.height() / size.height());
    if (stretched && factor >= 2 &&
        (picture.format() == QImage::Format_Grayscale8 || picture.format() == QImage::Format_RGB32))
        return boxReduce(picture, factor).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
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
    if (kind != PictureKind::Bitmap && kind != PictureKind::Jpeg && kind != PictureKind::Fits &&
        kind != PictureKind::Tiff && kind != PictureKind::Png && kind != PictureKind::VideoFrame) {
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
        // Not started yet: the caller decodes it now, at its own priority; the worker would only
        // decode it a second time and make the next request wait behind it.
        if (pending_ && pending_->path == path)
            pending_.reset();
        if (ready_ && ready_->path == path)
            job = std::move(ready_);
        ready_.reset();
    }
    if (!job || !job->ok || !(FileStamp::of(path) == job->stamp) ||
        job->stretchGeneration != DisplayStretch::generation())
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
    // Below the interface thread: the frame on show must be drawn before the next one is decoded,
    // not share the cores with it (Linux keeps a nice value per thread, and the threads this one
    // starts take it with them).
    setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), 10);
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
        job->stretchGeneration = DisplayStretch::generation();
        if (job->stamp.exists) {
            PictureResult r = loadPicture(job->path);
            if (r.ok()) {
                job->result.picture = std::move(r.image);
                job->result.linear = std::move(r.linear);
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
