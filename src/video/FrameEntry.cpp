#include "video/FrameEntry.h"

#include "video/VideoFrames.h"

#include <QFileInfo>

namespace {

// More digits than any video has frames, few enough never to overflow.
constexpr int kMaxDigits = 15;

}  // namespace

bool isVideoFileName(const QString& name)
{
    static const char* const kExtensions[] = {".ser", ".avi", ".mp4", ".mov", ".mkv"};
    for (const char* ext : kExtensions) {
        const QLatin1String e(ext);
        if (name.size() > e.size() && name.endsWith(e, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QString frameEntryName(const QString& videoFileName, int64_t number)
{
    return QStringLiteral("%1#%2").arg(videoFileName).arg(number, 5, 10, QLatin1Char('0'));
}

std::optional<FrameEntry> parseFrameEntry(const QString& name)
{
    const qsizetype hash = name.lastIndexOf(QLatin1Char('#'));
    if (hash < 0)
        return std::nullopt;
    const QStringView digits = QStringView(name).mid(hash + 1);
    if (digits.isEmpty() || digits.size() > kMaxDigits)
        return std::nullopt;
    int64_t number = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        number = number * 10 + (c.unicode() - '0');
    }
    const QString video = name.left(hash);
    if (number < 1 || video.contains(QLatin1Char('/')) || !isVideoFileName(video))
        return std::nullopt;
    return FrameEntry{video, number};
}

std::optional<FrameEntry> frameEntryIn(const QString& directory, const QString& name)
{
    std::optional<FrameEntry> e = parseFrameEntry(name);
    if (!e)
        return std::nullopt;
    const QString dir = directory.isEmpty() || directory.endsWith(QLatin1Char('/')) ? directory : directory + QLatin1Char('/');
    if (!QFileInfo(dir + e->video).isFile())
        return std::nullopt;
    return e;
}

int64_t videoFrameCount(const QString& path, QString& error)
{
    return videoFrames().frameCount(path, error);
}
