#include "vidsplit/JoinSer.h"

#include "list/ListFile.h"
#include "platform/Picture.h"
#include "platform/ProgramError.h"
#include "vidsplit/NewFile.h"
#include "vidsplit/SerFile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QStringList>

#include <limits>
#include <vector>

namespace {

QImage loadFrame(const QString& path)
{
    PictureResult r = loadPicture(path);
    if (!r.ok())
        throw ProgramError(QStringLiteral("%1 : %2").arg(path, r.errorText));
    return std::move(r.image);
}

int64_t nanosOf(const QDateTime& t)
{
    return t.toMSecsSinceEpoch() * 1000000;
}

}  // namespace

JoinResult joinToSer(const JoinOptions& o, const std::function<void(int64_t, int64_t)>& progress)
{
    std::vector<ListEntry> entries;
    try {
        entries = readListFile(o.listFile);
    } catch (const ProgramError& e) {
        throw ProgramError(QStringLiteral("%1 : %2").arg(o.listFile, e.text()));
    }
    QStringList paths;
    for (const ListEntry& e : entries) {
        int q = 0;
        if (o.minScore && (!parseInteger(e.quality, q) || q < *o.minScore))
            continue;
        paths << e.directory + e.name;
    }
    if (paths.isEmpty()) {
        throw ProgramError(o.minScore ? QStringLiteral("%1 : aucune image de qualité %2 ou plus").arg(o.listFile).arg(*o.minScore)
                                      : QStringLiteral("%1 : la liste est vide").arg(o.listFile));
    }
    if (paths.size() > std::numeric_limits<int32_t>::max())
        throw ProgramError(QStringLiteral("%1 : trop d'images pour une vidéo SER").arg(o.listFile));

    // First pass: every frame readable and of one size, and whether all are grey, before anything is
    // written. Frames are decoded again for writing rather than held: a video does not fit in memory.
    const int64_t total = 2 * int64_t(paths.size());
    int64_t done = 0;
    QSize size;
    bool mono = true;
    for (const QString& path : paths) {
        const QImage img = loadFrame(path);
        if (size.isEmpty())
            size = img.size();
        else if (img.size() != size)
            throw ProgramError(QStringLiteral("%1 : %2 × %3 au lieu de %4 × %5 comme la première image")
                                   .arg(path).arg(img.width()).arg(img.height()).arg(size.width()).arg(size.height()));
        mono = mono && img.allGray();
        if (progress)
            progress(++done, total);
    }

    SerHeader h;
    h.colorId = mono ? 0 : 100;
    h.littleEndian = 0;
    h.width = size.width();
    h.height = size.height();
    h.pixelDepth = 8;
    h.frameCount = int32_t(paths.size());
    h.instrument = QStringLiteral("vidsplit");
    const QDateTime now = QDateTime::currentDateTime();
    h.dateTimeUtc = serTicksFromUnixNanos(nanosOf(now));
    h.dateTime = h.dateTimeUtc + int64_t(now.offsetFromUtc()) * 10000000;
    uint8_t header[kSerHeaderSize];
    formatSerHeader(h, header);

    const QString outPath = QFileInfo(o.outFile).absoluteFilePath();
    NewFile out(outPath);
    out.write(header, sizeof header);
    std::vector<uint8_t> trailer;
    trailer.reserve(size_t(paths.size()) * 8);
    for (const QString& path : paths) {
        QImage img = loadFrame(path);
        if (img.size() != size)  // changed since the first pass
            throw ProgramError(QStringLiteral("%1 : l'image a changé pendant l'assemblage").arg(path));
        img.convertTo(mono ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
        const size_t rowBytes = size_t(size.width()) * (mono ? 1 : 3);
        for (int y = 0; y < size.height(); ++y)
            out.write(img.constScanLine(y), rowBytes);
        const int64_t ticks = serTicksFromUnixNanos(nanosOf(QFileInfo(path).lastModified()));
        for (int i = 0; i < 8; ++i)
            trailer.push_back(uint8_t(uint64_t(ticks) >> (8 * i)));
        if (progress)
            progress(++done, total);
    }
    out.write(trailer.data(), trailer.size());

    JoinResult result;
    result.outFile = out.publish();
    result.frames = paths.size();
    result.mono = mono;
    return result;
}
