#include "convert/Converters.h"

#include "convert/ConversionOutputs.h"
#include "convert/FitsWriter.h"
#include "convert/ImageConversion.h"
#include "platform/JpegCodec.h"
#include "platform/PathUtil.h"
#include "platform/Picture.h"
#include "platform/ProgramError.h"
#include "platform/SafeWrite.h"
#include "platform/Stretch.h"
#include "settings/Options.h"
#include "video/FrameEntry.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <optional>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct FileId {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
};

FileId fileId(const QString& path)
{
    struct stat st {};
    FileId id;
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        id.exists = true;
        id.dev = st.st_dev;
        id.ino = st.st_ino;
    }
    return id;
}

// Refuses to write `output` over the file `source` itself (same file under any name or link): the
// source would be lost.
void neverOverSource(const FileId& source, const QString& output)
{
    const FileId out = fileId(output);
    if (source.exists && out.exists && source.dev == out.dev && source.ino == out.ino)
        throw ProgramError(QString::fromUtf8("Le fichier converti remplacerait le fichier source"));
}

// Writes one output file. In a run, the name may change (this run wrote it already) or the user may
// keep the file that is there: the path written, or nothing when skipped.
std::optional<QString> writeOutput(const QString& wanted, const QByteArray& bytes)
{
    ConversionOutputs* run = currentConversionOutputs();
    const std::optional<QString> path = run ? run->claim(wanted) : wanted;
    if (!path)
        return std::nullopt;
    if (const int err = writeFileSafely(*path, bytes))
        throw ProgramError(fileReasonText(err));
    if (run)
        run->wrote(*path);
    return path;
}

// The file a source's bytes come from: the video for a frame entry, the source itself otherwise.
QString sourceFile(const QString& source)
{
    if (const std::optional<FrameEntry> f = parseFrameEntry(namePart(source)))
        return directoryPart(source) + f->video;
    return source;
}

// A frame of a video as an 8-bit picture of its own values, not of the display curve: an 8-bit
// video's frame comes out as it was recorded, a deeper one scaled from its depth's full range.
QImage videoFramePicture(const QString& source)
{
    const PictureResult r = loadPictureData(source);
    if (!r.ok())
        throw ProgramError(r.errorText.isEmpty() ? QStringLiteral("Image de vidéo illisible") : r.errorText);
    if (!r.linear)
        return r.image;
    const LinearImage& data = *r.linear;
    const StretchCurve straight = data.nominalMax > 0 && !data.isFloat()
        ? StretchCurve{0, data.nominalMax, 0.5}
        : linearStretch(frameStats(data, true));
    QImage picture = renderStretched(data, straight);
    if (picture.isNull())
        throw ProgramError(QString::fromUtf8("Mémoire insuffisante"));
    return picture;
}

void show(const QString& path)
{
    const auto& showImage = conversionDisplay().showImage;
    if (showImage && !showImage(path))
        throw SilentAbort();
}

}  // namespace

ConversionDisplay& conversionDisplay()
{
    static ConversionDisplay d;
    return d;
}

QByteArray readSourceFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw ProgramError(fileReasonText(errno));
    QByteArray bytes;
    int err = 0;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        err = errno;
    } else if (S_ISDIR(st.st_mode)) {
        err = EISDIR;
    } else if (!S_ISREG(st.st_mode)) {
        err = EINVAL;  // a FIFO or a device could block or never end
    } else if (st.st_size > kMaxPictureBytes) {
        ::close(fd);
        throw ProgramError(QStringLiteral("Fichier image trop grand (%1 octets)").arg(qint64(st.st_size)));
    } else {
        bytes.resize(qsizetype(st.st_size));
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                err = errno;
                break;
            }
            if (n == 0) {
                bytes.resize(done);  // the file shrank while it was read
                break;
            }
            done += n;
        }
    }
    ::close(fd);
    if (err != 0)
        throw ProgramError(fileReasonText(err));
    return bytes;
}

bool isFrameSource(const QString& source) { return parseFrameEntry(namePart(source)).has_value(); }

QString jpegOutputPath(const QString& outputBase, int quality)
{
    return outputBase + QStringLiteral("_%1.JPG").arg(std::clamp(quality, 0, 100), 3, 10, QLatin1Char('0'));
}

bool ConvertBmpToJpeg(const ProgramOptions& options, const QString& source, const QString& outputBase)
{
    const QString output = jpegOutputPath(outputBase, options.JpegQuality);
    neverOverSource(fileId(sourceFile(source)), output);
    QByteArray jpeg;
    if (isFrameSource(source)) {
        const QImage picture = videoFramePicture(source);
        const JpegEncodeResult r = encodeJpegToBytes(picture, std::clamp(options.JpegQuality, 0, 100), jpeg);
        if (!r.ok)
            throw ProgramError(r.errorText);
    } else {
        jpeg = bmpToJpegBytes(readSourceFile(source), options.JpegQuality);
    }
    const std::optional<QString> written = writeOutput(output, jpeg);
    if (written && options.ShowConverted) {
        show(*written);
        Pause(options.SlideInterval / 100);
    }
    return true;
}

bool ConvertJpegToBmp(const ProgramOptions&, const QString& source, const QString& outputBase)
{
    const QString output = outputBase + QStringLiteral(".BMP");
    neverOverSource(fileId(sourceFile(source)), output);
    writeOutput(output, isFrameSource(source) ? encodeBmp24(videoFramePicture(source))
                                              : jpegToBmpBytes(readSourceFile(source)));
    return true;
}

bool ConvertBmpToFits(const ProgramOptions& options, const QString& source, const QString& outputBase)
{
    // The FITS files are made from a colour bitmap's channels; a video's frame is extracted first.
    if (isFrameSource(source))
        throw ProgramError(QString::fromUtf8("Image de vidéo non convertible en FITS"));
    const FileId sourceId = fileId(source);
    const int channels = options.FitChannels;
    for (const FitsChannelFile& c : kFitsChannelFiles)
        if (channels & c.bit)
            neverOverSource(sourceId, outputBase + QLatin1String(c.suffix));

    const QImage rgb = decodeBitmap24(readSourceFile(source));
    if (options.ShowConverted)
        show(source);

    // One header and one buffer per image, whatever the number of channels: the header heads the
    // buffer and the data part behind it is refilled for each channel.
    const int bpp = fitsBytesPerPixel(options.FitBytesPerPixel);
    const ColourWeights weights = weightsOf(options);
    QByteArray file;
    for (const FitsChannelFile& c : kFitsChannelFiles) {
        if (!(channels & c.bit))
            continue;
        if (file.isEmpty()) {
            file = fitsHeader(bpp, rgb.width(), rgb.height(), namePart(source));
            file.resize(kFitsBlock + fitsDataSize(rgb.width(), rgb.height(), bpp));
        }
        fillFitsData(file.data() + kFitsBlock, rgb, c.channel, bpp, weights);
        writeOutput(outputBase + QLatin1String(c.suffix), file);
    }
    return true;
}

void Pause(int steps)
{
    if (steps <= 0)
        return;
    const qint64 total = qint64(steps) * 100;
    QElapsedTimer clock;  // monotonic: no wrap-around of a 32-bit millisecond count to cut a wait short
    clock.start();
    if (!QCoreApplication::instance()) {
        QThread::msleep(quint64(total));
        return;
    }
    // Sleep between events instead of spinning; the timer wakes the wait when its time is up.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    for (qint64 left = total; left > 0; left = total - clock.elapsed()) {
        wake.start(int(std::min<qint64>(left, INT_MAX)));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}
