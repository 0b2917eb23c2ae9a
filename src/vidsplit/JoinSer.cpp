#include "vidsplit/JoinSer.h"

#include "list/ListFile.h"
#include "platform/Picture.h"
#include "platform/ProgramError.h"
#include "vidsplit/Extraction.h"
#include "vidsplit/NewFile.h"
#include "video/SerFile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <limits>
#include <optional>
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

struct Kept {
    QString path;
    std::optional<NameNumber> inName;
};

// The frames in the order they were captured, which stackers and the time stamps expect whatever
// order the list shows (sorted by sharpness, say): by the frame numbers of their names when every
// name carries one. Otherwise the list's order is all there is: a list file's number lines are
// not kept when it is read (entries are numbered by their place).
QStringList captureOrder(std::vector<Kept> kept)
{
    if (std::all_of(kept.begin(), kept.end(), [](const Kept& k) { return k.inName.has_value(); })) {
        std::stable_sort(kept.begin(), kept.end(), [](const Kept& a, const Kept& b) {
            const int c = a.inName->prefix.compare(b.inName->prefix);
            return c != 0 ? c < 0 : a.inName->number < b.inName->number;
        });
    }
    QStringList paths;
    paths.reserve(qsizetype(kept.size()));
    for (const Kept& k : kept)
        paths << k.path;
    return paths;
}

}  // namespace

JoinResult joinToSer(const JoinOptions& o, const std::function<void(int64_t, int64_t)>& progress)
{
    checkListFileKind(o.listFile);
    std::vector<ListEntry> entries;
    try {
        entries = readListFile(o.listFile);
    } catch (const ProgramError& e) {
        throw ProgramError(QStringLiteral("%1 : %2").arg(o.listFile, e.text()));
    }
    std::vector<Kept> kept;
    for (const ListEntry& e : entries) {
        int q = 0;
        if (o.minScore && (!parseInteger(e.quality, q) || q < *o.minScore))
            continue;
        kept.push_back({e.directory + e.name, numberInName(e.name)});
    }
    const QStringList paths = captureOrder(std::move(kept));
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
