#include "video/SerWriter.h"

#include "platform/ProgramError.h"
#include "platform/SafeWrite.h"
#include "video/FrameEntry.h"
#include "video/FrameSource.h"
#include "video/SerFile.h"
#include "video/VideoFrames.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The frame number a file name carries: the digits that end its stem ("jupiter_00042.bmp", also
// with the " (2)" of a name that was taken), and the text before them.
struct NameNumber {
    QString prefix;
    qint64 number = 0;
};
std::optional<NameNumber> numberInName(const QString& name)
{
    QStringView stem(name);
    const qsizetype dot = stem.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        stem = stem.left(dot);
    auto digitsBefore = [&stem](qsizetype end) {
        qsizetype start = end;
        while (start > 0 && stem[start - 1] >= QLatin1Char('0') && stem[start - 1] <= QLatin1Char('9'))
            --start;
        return start;
    };
    if (stem.endsWith(QLatin1Char(')'))) {
        const qsizetype open = digitsBefore(stem.size() - 1);
        if (open < stem.size() - 1 && open >= 2 && stem.mid(open - 2, 2) == QLatin1String(" ("))
            stem = stem.left(open - 2);
    }
    const qsizetype start = digitsBefore(stem.size());
    bool ok = false;
    const qint64 number = stem.mid(start).toLongLong(&ok);
    if (start == stem.size() || !ok)
        return std::nullopt;
    return NameNumber{stem.left(start).toString(), number};
}

QString nameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// A SER video open for copying its frames.
struct OpenSer {
    int fd = -1;
    SerReader reader;
    ~OpenSer()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

QString kindText(int colorId, int bytesPerSample)
{
    QString kind;
    switch (colorId) {
    case 0: kind = QStringLiteral("noir et blanc"); break;
    case 8: kind = QStringLiteral("mosaïque RGGB"); break;
    case 9: kind = QStringLiteral("mosaïque GRBG"); break;
    case 10: kind = QStringLiteral("mosaïque GBRG"); break;
    case 11: kind = QStringLiteral("mosaïque BGGR"); break;
    case 100: kind = QStringLiteral("couleur RVB"); break;
    case 101: kind = QStringLiteral("couleur BVR"); break;
    default: kind = QStringLiteral("mosaïque CMJ (%1)").arg(colorId); break;
    }
    return QStringLiteral("%1 bits, %2").arg(bytesPerSample * 8).arg(kind);
}

bool isGrey(const Frame8& f)
{
    if (f.channels == 1)
        return true;
    const uint8_t* p = f.data();
    const size_t n = size_t(f.width) * size_t(f.height);
    for (size_t i = 0; i < n; ++i, p += 3)
        if (p[0] != p[1] || p[1] != p[2])
            return false;
    return true;
}

void toFrame8(const LinearImage& in, Frame8& out)
{
    out.reset(in.width, in.height, in.planes == 3 ? 3 : 1);
    const size_t n = size_t(in.planeSize());
    uint8_t* p = out.pixels.data();
    if (out.channels == 1) {
        for (size_t i = 0; i < n; ++i)
            p[i] = uint8_t(in.u16[i]);
        return;
    }
    for (size_t i = 0; i < n; ++i) {
        p[3 * i] = uint8_t(in.u16[2 * n + i]);
        p[3 * i + 1] = uint8_t(in.u16[n + i]);
        p[3 * i + 2] = uint8_t(in.u16[i]);
    }
}

// The layout of the video written: set by the first SER video among the frames, or by the
// decoded frames when there is none.
struct Layout {
    int width = 0;
    int height = 0;
    int colorId = 0;
    int bytesPerSample = 1;
    int depth = 8;
    QString setBy;  // the entry whose video set it; empty: decoded frames only
};

class Assembly {
public:
    Assembly(const std::vector<SerFrameSource>& frames, const SerWriteOptions& options)
        : frames_(frames), options_(options)
    {
    }

    SerWriteResult run(const std::function<void(const void*, size_t)>& out)
    {
        SerWriteResult result;
        if (frames_.empty())
            throw ProgramError(QStringLiteral("aucune image à écrire"));
        if (frames_.size() > size_t(std::numeric_limits<int32_t>::max()))
            throw ProgramError(QStringLiteral("trop d'images pour une vidéo SER"));
        openVideos();
        for (const SerFrameSource& f : frames_)
            if (!serOf(f))
                ++total_;
        total_ += int64_t(frames_.size());
        if (!check())
            return stopped();
        if (!write(out))
            return stopped();
        result.frames = int64_t(frames_.size());
        result.colorId = layout_.colorId;
        result.pixelDepth = layout_.depth;
        return result;
    }

private:
    static SerWriteResult stopped()
    {
        SerWriteResult r;
        r.stopped = true;
        return r;
    }

    bool step()
    {
        if (options_.progress)
            options_.progress(++done_, total_);
        return !(options_.stop && options_.stop->load());
    }

    [[noreturn]] static void fail(const SerFrameSource& f, const QString& reason)
    {
        throw ProgramError(QStringLiteral("%1 : %2").arg(serSourceName(f), reason));
    }

    const OpenSer* serOf(const SerFrameSource& f) const
    {
        if (f.number <= 0)
            return nullptr;
        const auto it = sers_.find(f.path);
        return it == sers_.end() ? nullptr : it->second.get();
    }

    // Opens every SER video among the frames (told by its first bytes, or by a ".ser" name); the
    // first one sets the layout.
    void openVideos()
    {
        std::map<QString, bool> seen;
        for (const SerFrameSource& f : frames_) {
            if (f.number <= 0 || !seen.emplace(f.path, true).second)
                continue;
            auto ser = std::make_unique<OpenSer>();
            ser->fd = ::open(QFile::encodeName(f.path).constData(), O_RDONLY | O_CLOEXEC);
            if (ser->fd < 0)
                fail(f, fileErrorText(errno));
            char head[14] = {};
            const bool serId = ::pread(ser->fd, head, sizeof head, 0) == ssize_t(sizeof head)
                               && std::memcmp(head, "LUCAM-RECORDER", sizeof head) == 0;
            if (!serId && !f.path.endsWith(QLatin1String(".ser"), Qt::CaseInsensitive))
                continue;  // read through FFmpeg
            struct stat st {};
            QString reason;
            if (::fstat(ser->fd, &st) != 0)
                fail(f, fileErrorText(errno));
            if (!ser->reader.openFile(ser->fd, int64_t(st.st_size), reason))
                fail(f, reason);
            const SerReader& r = ser->reader;
            if (layout_.setBy.isEmpty())
                layout_ = {r.width(), r.height(), r.header().colorId, r.bytesPerSample(), 0, serSourceName(f)};
            layout_.depth = std::max(layout_.depth, r.header().pixelDepth);
            sers_.emplace(f.path, std::move(ser));
        }
    }

    // A picture file or a frame of another video, at 8 bits.
    void decode(const SerFrameSource& f, Frame8& out)
    {
        QString error;
        if (f.number > 0) {
            if (!videoFrames().read(f.path, f.number, linear_, error))
                throw ProgramError(error);
            toFrame8(linear_, out);
            return;
        }
        if (!options_.loadPicture)
            fail(f, QStringLiteral("image illisible"));
        if (!options_.loadPicture(f.path, out, error))
            fail(f, error);
    }

    void checkSize(const SerFrameSource& f, int w, int h)
    {
        if (width_ == 0) {
            width_ = w;
            height_ = h;
        } else if (w != width_ || h != height_) {
            fail(f, QStringLiteral("%1 × %2 au lieu de %3 × %4 comme la première image").arg(w).arg(h).arg(width_).arg(height_));
        }
    }

    void mismatch(const SerFrameSource& f, const QString& kind)
    {
        fail(f, QStringLiteral("%1 au lieu de %2 comme %3").arg(kind, kindText(layout_.colorId, layout_.bytesPerSample), layout_.setBy));
    }

    // Every frame there, of one size and layout, before anything is written; false when stopped.
    bool check()
    {
        bool allGrey = true;
        Frame8 frame;
        for (const SerFrameSource& f : frames_) {
            if (const OpenSer* ser = serOf(f)) {
                const SerReader& r = ser->reader;
                if (f.number > r.frameCount())
                    fail(f, QStringLiteral("l'image %1 n'existe pas (la vidéo en compte %2)").arg(f.number).arg(r.frameCount()));
                checkSize(f, r.width(), r.height());
                if (r.header().colorId != layout_.colorId || r.bytesPerSample() != layout_.bytesPerSample)
                    mismatch(f, kindText(r.header().colorId, r.bytesPerSample()));
                continue;
            }
            decode(f, frame);
            checkSize(f, frame.width, frame.height);
            const bool grey = isGrey(frame);
            allGrey = allGrey && grey;
            if (!layout_.setBy.isEmpty()) {
                const int id = layout_.colorId;
                if (layout_.bytesPerSample != 1 || !(id == 100 || id == 101 || (id == 0 && grey)))
                    mismatch(f, grey ? QStringLiteral("8 bits, noir et blanc") : QStringLiteral("8 bits, couleur"));
            }
            if (!step())
                return false;
        }
        if (layout_.setBy.isEmpty()) {
            layout_.width = width_;
            layout_.height = height_;
            layout_.colorId = allGrey ? 0 : 100;
        }
        return true;
    }

    SerHeader header() const
    {
        SerHeader h;
        if (!frames_.empty() && !layout_.setBy.isEmpty()) {
            for (const SerFrameSource& f : frames_) {
                if (const OpenSer* ser = serOf(f)) {
                    h = ser->reader.header();
                    break;
                }
            }
        } else {
            h.instrument = options_.instrument;
            const QDateTime now = QDateTime::currentDateTime();
            h.dateTimeUtc = serTicksFromUnixNanos(now.toMSecsSinceEpoch() * 1000000);
            h.dateTime = h.dateTimeUtc + int64_t(now.offsetFromUtc()) * 10000000;
        }
        h.colorId = layout_.colorId;
        h.littleEndian = layout_.bytesPerSample == 2 ? 1 : 0;
        h.width = layout_.width;
        h.height = layout_.height;
        h.pixelDepth = layout_.depth;
        h.frameCount = int32_t(frames_.size());
        return h;
    }

    bool write(const std::function<void(const void*, size_t)>& out)
    {
        uint8_t head[kSerHeaderSize];
        formatSerHeader(header(), head);
        out(head, sizeof head);

        const int planes = layout_.colorId >= 100 ? 3 : 1;
        const size_t frameBytes = size_t(layout_.width) * size_t(layout_.height) * size_t(planes) * size_t(layout_.bytesPerSample);
        std::vector<uint8_t> bytes(frameBytes);
        std::vector<int64_t> times;
        times.reserve(frames_.size());
        bool timed = true;
        Frame8 frame;
        for (const SerFrameSource& f : frames_) {
            std::optional<int64_t> ticks;
            if (const OpenSer* ser = serOf(f)) {
                const SerReader& r = ser->reader;
                if (!r.readFrameBytes(f.number - 1, bytes.data()))
                    fail(f, errno == 0 ? QStringLiteral("fichier tronqué pendant l'écriture") : fileErrorText(errno));
                if (r.bytesPerSample() == 2 && r.bigEndian())
                    for (size_t i = 0; i < frameBytes; i += 2)
                        std::swap(bytes[i], bytes[i + 1]);
                ticks = r.frameTicks(f.number - 1);
            } else {
                decode(f, frame);
                if (frame.width != layout_.width || frame.height != layout_.height)  // changed since the check
                    fail(f, QStringLiteral("l'image a changé pendant l'assemblage"));
                pack(frame, planes, bytes.data());
                if (f.number == 0)
                    ticks = serTicksFromUnixNanos(QFileInfo(f.path).lastModified().toMSecsSinceEpoch() * 1000000);
            }
            out(bytes.data(), frameBytes);
            timed = timed && ticks.has_value();
            times.push_back(ticks.value_or(0));
            if (!step())
                return false;
        }
        // A trailer only when every frame has its time: a made-up one would mislead derotation.
        if (timed) {
            std::vector<uint8_t> trailer(times.size() * 8);
            for (size_t i = 0; i < times.size(); ++i)
                for (int b = 0; b < 8; ++b)
                    trailer[8 * i + size_t(b)] = uint8_t(uint64_t(times[i]) >> (8 * b));
            out(trailer.data(), trailer.size());
        }
        return true;
    }

    // An 8-bit frame in the layout written: grey, RGB or BGR.
    void pack(const Frame8& f, int planes, uint8_t* dst) const
    {
        const size_t n = size_t(f.width) * size_t(f.height);
        const uint8_t* p = f.data();
        if (planes == 1) {
            for (size_t i = 0; i < n; ++i)
                dst[i] = f.channels == 1 ? p[i] : p[3 * i + 1];
            return;
        }
        const bool rgb = layout_.colorId == 100;
        for (size_t i = 0; i < n; ++i) {
            const uint8_t b = f.channels == 1 ? p[i] : p[3 * i], g = f.channels == 1 ? p[i] : p[3 * i + 1],
                          r = f.channels == 1 ? p[i] : p[3 * i + 2];
            dst[3 * i] = rgb ? r : b;
            dst[3 * i + 1] = g;
            dst[3 * i + 2] = rgb ? b : r;
        }
    }

    const std::vector<SerFrameSource>& frames_;
    const SerWriteOptions& options_;
    std::map<QString, std::unique_ptr<OpenSer>> sers_;
    Layout layout_;
    int width_ = 0, height_ = 0;
    LinearImage linear_;
    int64_t done_ = 0, total_ = 0;
};

}  // namespace

QString serSourceName(const SerFrameSource& s)
{
    if (s.number <= 0)
        return s.path;
    const qsizetype slash = s.path.lastIndexOf(QLatin1Char('/'));
    return s.path.left(slash + 1) + frameEntryName(s.path.mid(slash + 1), s.number);
}

std::vector<SerFrameSource> captureOrder(std::vector<SerFrameSource> frames)
{
    struct Keyed {
        SerFrameSource source;
        std::optional<NameNumber> key;  // videos: the video's path and the frame number
    };
    std::vector<Keyed> keyed;
    keyed.reserve(frames.size());
    for (SerFrameSource& f : frames) {
        std::optional<NameNumber> key = f.number > 0 ? std::optional(NameNumber{f.path, f.number}) : numberInName(nameOf(f.path));
        keyed.push_back({std::move(f), std::move(key)});
    }
    auto byKey = [](const Keyed& a, const Keyed& b) {
        const int c = a.key->prefix.compare(b.key->prefix);
        return c != 0 ? c < 0 : a.key->number < b.key->number;
    };
    if (std::all_of(keyed.begin(), keyed.end(), [](const Keyed& k) { return k.key.has_value(); })) {
        std::stable_sort(keyed.begin(), keyed.end(), byKey);
    } else {
        // Each video's frames sorted among the places they hold.
        std::map<QString, std::vector<size_t>> places;
        for (size_t i = 0; i < keyed.size(); ++i)
            if (keyed[i].source.number > 0)
                places[keyed[i].source.path].push_back(i);
        for (const auto& [path, at] : places) {
            std::vector<Keyed> own;
            for (size_t i : at)
                own.push_back(std::move(keyed[i]));
            std::stable_sort(own.begin(), own.end(), byKey);
            for (size_t j = 0; j < at.size(); ++j)
                keyed[at[j]] = std::move(own[j]);
        }
    }
    std::vector<SerFrameSource> ordered;
    ordered.reserve(keyed.size());
    for (Keyed& k : keyed)
        ordered.push_back(std::move(k.source));
    return ordered;
}

SerWriteResult assembleSer(const std::vector<SerFrameSource>& frames, const SerWriteOptions& options,
                           const std::function<void(const void*, size_t)>& out)
{
    return Assembly(frames, options).run(out);
}

SerWriteResult writeSerFile(const QString& path, const std::vector<SerFrameSource>& frames, const SerWriteOptions& options)
{
    auto taken = [&path] {
        struct stat st {};
        return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
    };
    if (!options.replace && taken())
        throw ProgramError(QStringLiteral("%1 : %2").arg(path, fileReasonText(EEXIST)));
    SafeFile file(path);
    if (!file.open())
        throw ProgramError(QStringLiteral("%1 : %2").arg(path, fileReasonText(file.error())));
    const SerWriteResult r = assembleSer(frames, options, [&](const void* data, size_t size) {
        if (!file.write(static_cast<const char*>(data), qint64(size)))
            throw ProgramError(QStringLiteral("%1 : %2").arg(path, fileReasonText(file.error())));
    });
    if (r.stopped)
        return r;  // the temporary file goes with file
    // Made meanwhile by someone else: still not replaced without the user's word.
    if (!options.replace && taken())
        throw ProgramError(QStringLiteral("%1 : %2").arg(path, fileReasonText(EEXIST)));
    if (!file.commit())
        throw ProgramError(QStringLiteral("%1 : %2").arg(path, fileReasonText(file.error())));
    return r;
}
