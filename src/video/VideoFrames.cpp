#include "video/VideoFrames.h"

#include "platform/SafeWrite.h"
#include "video/FfmpegFrames.h"
#include "video/FrameSource.h"
#include "video/SerFile.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// More open videos than a list is likely to mix, few enough to stay far from the limit on open files.
constexpr size_t kMaxOpenVideos = 32;

// What tells that the file at a path is still the one opened: the same file, size and time.
struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    int64_t mtimeNanos = 0;
    explicit Identity(const struct stat& st = {})
        : device(st.st_dev), inode(st.st_ino), size(st.st_size),
          mtimeNanos(int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec)
    {
    }
    bool operator==(const Identity&) const = default;
};

BayerPattern bayerOf(int colorId)
{
    switch (colorId) {
    case 8: return BayerPattern::RGGB;
    case 9: return BayerPattern::GRBG;
    case 10: return BayerPattern::GBRG;
    case 11: return BayerPattern::BGGR;
    default: return BayerPattern::None;
    }
}

// The largest sample of the depth the data really uses: a header's 9 to 15 bits are believed
// unless the data goes past them; a header's 16 often holds 10 to 12-bit data, told from the data.
double nominalMaxOf(const SerReader& r)
{
    if (r.bytesPerSample() == 1)
        return 255;
    const int written = r.header().pixelDepth;
    const int bits = written > 8 && written < 16 ? std::max(written, r.significantBits()) : r.significantBits();
    return double((1u << bits) - 1);
}

// The stored bytes of a frame as linear samples.
void toLinear(const SerReader& r, const uint8_t* raw, LinearImage& out)
{
    const int planes = r.planes();
    const size_t pixels = size_t(r.width()) * size_t(r.height());
    const size_t samples = pixels * size_t(planes);
    out.width = r.width();
    out.height = r.height();
    out.planes = planes;
    out.bayer = bayerOf(r.header().colorId);
    out.nominalMax = nominalMaxOf(r);
    out.f32.clear();
    out.u16.resize(samples);
    uint16_t* dst = out.u16.data();
    if (planes == 1) {
        if (r.bytesPerSample() == 1) {
            for (size_t i = 0; i < samples; ++i)
                dst[i] = raw[i];
        } else if (r.bigEndian()) {
            for (size_t i = 0; i < samples; ++i)
                dst[i] = uint16_t(raw[2 * i] << 8 | raw[2 * i + 1]);
        } else {
            for (size_t i = 0; i < samples; ++i)
                dst[i] = uint16_t(raw[2 * i + 1] << 8 | raw[2 * i]);
        }
        return;
    }
    // Interleaved to planar, the planes in R, G, B order whichever order the file keeps.
    const bool bgr = r.header().colorId == 101;
    const int wide = r.bytesPerSample();
    for (int p = 0; p < 3; ++p) {
        uint16_t* plane = dst + size_t(bgr ? 2 - p : p) * pixels;
        const uint8_t* s = raw + p * wide;
        for (size_t i = 0; i < pixels; ++i, s += 3 * wide)
            plane[i] = wide == 1 ? s[0] : r.bigEndian() ? uint16_t(s[0] << 8 | s[1]) : uint16_t(s[1] << 8 | s[0]);
    }
}

}  // namespace

struct VideoFrames::Video {
    Identity identity;
    int fd = -1;
    SerReader ser;            // when fd >= 0
    std::mutex decoding;      // one thread at a time in ffmpeg
    std::unique_ptr<FfmpegFrames> ffmpeg;
    uint64_t lastUse = 0;

    ~Video()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int64_t frameCount() const { return fd >= 0 ? ser.frameCount() : ffmpeg->frameCount(); }

    bool read(int64_t number, LinearImage& out, QString& reason)
    {
        if (fd < 0) {
            const std::lock_guard lock(decoding);
            return ffmpeg->read(number, out, reason);
        }
        if (number < 1 || number > ser.frameCount()) {
            reason = QStringLiteral("l'image %1 n'existe pas (la vidéo en compte %2)").arg(number).arg(ser.frameCount());
            return false;
        }
        thread_local std::vector<uint8_t> raw;
        raw.resize(size_t(ser.frameBytes()));
        if (!ser.readFrameBytes(number - 1, raw.data())) {
            reason = errno == 0 ? QStringLiteral("fichier tronqué pendant la lecture : l'image %1 manque").arg(number)
                                : QStringLiteral("image %1 illisible (%2)").arg(number).arg(fileErrorText(errno));
            return false;
        }
        toLinear(ser, raw.data(), out);
        return true;
    }
};

struct VideoFrames::Cache {
    std::mutex mutex;    // the map
    std::mutex opening;  // a video being opened
    std::map<QString, std::shared_ptr<Video>> open;
    uint64_t uses = 0;
};

VideoFrames::VideoFrames() : cache_(std::make_unique<Cache>()) {}
VideoFrames::~VideoFrames() = default;

std::shared_ptr<VideoFrames::Video> VideoFrames::video(const QString& path, QString& error)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0 || S_ISDIR(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        const std::lock_guard lock(cache_->mutex);
        cache_->open.erase(path);
        error = videoMessage(path, err == EISDIR ? QStringLiteral("c'est un répertoire") : fileErrorText(err));
        return nullptr;
    }
    const Identity now(st);
    auto cached = [this, &path, &now]() -> std::shared_ptr<Video> {
        const std::lock_guard lock(cache_->mutex);
        const auto it = cache_->open.find(path);
        if (it == cache_->open.end())
            return nullptr;
        if (!(it->second->identity == now)) {
            cache_->open.erase(it);  // changed since: opened anew
            return nullptr;
        }
        it->second->lastUse = ++cache_->uses;
        return it->second;
    };
    if (std::shared_ptr<Video> v = cached())
        return v;

    // One opening at a time, outside the cache's lock: indexing a long video takes a while, other
    // videos are read meanwhile, and two threads asking for the same new video index it once.
    const std::lock_guard opening(cache_->opening);
    if (std::shared_ptr<Video> v = cached())
        return v;
    auto v = std::make_shared<Video>();
    v->identity = now;
    QString reason;
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = videoMessage(path, fileErrorText(errno));
        return nullptr;
    }
    char head[14] = {};
    const bool ser = (::pread(fd, head, sizeof head, 0) == ssize_t(sizeof head) && std::memcmp(head, "LUCAM-RECORDER", sizeof head) == 0)
                     || path.endsWith(QLatin1String(".ser"), Qt::CaseInsensitive);
    if (ser) {
        v->fd = fd;
        struct stat fst {};
        if (::fstat(fd, &fst) != 0 || !v->ser.openFile(fd, int64_t(fst.st_size), reason)) {
            error = videoMessage(path, reason.isEmpty() ? fileErrorText(errno) : reason);
            return nullptr;
        }
        v->identity = Identity(fst);
    } else {
        ::close(fd);
        v->ffmpeg = std::make_unique<FfmpegFrames>();
        if (!v->ffmpeg->open(path, reason)) {
            error = videoMessage(path, reason);
            return nullptr;
        }
    }

    const std::lock_guard lock(cache_->mutex);
    v->lastUse = ++cache_->uses;
    cache_->open[path] = v;
    while (cache_->open.size() > kMaxOpenVideos) {
        auto oldest = cache_->open.begin();
        for (auto it = cache_->open.begin(); it != cache_->open.end(); ++it)
            if (it->second->lastUse < oldest->second->lastUse)
                oldest = it;
        cache_->open.erase(oldest);  // closed once the threads reading it are done
    }
    return v;
}

bool VideoFrames::read(const QString& path, int64_t number, LinearImage& out, QString& error)
{
    const std::shared_ptr<Video> v = video(path, error);
    if (!v)
        return false;
    QString reason;
    if (v->read(number, out, reason))
        return true;
    error = videoMessage(path, reason);
    return false;
}

int64_t VideoFrames::frameCount(const QString& path, QString& error)
{
    const std::shared_ptr<Video> v = video(path, error);
    return v ? v->frameCount() : -1;
}

void VideoFrames::clear()
{
    const std::lock_guard lock(cache_->mutex);
    cache_->open.clear();
}

VideoFrames& videoFrames()
{
    static VideoFrames frames;
    return frames;
}
