#include "vidsplit/Extraction.h"

#include "list/ListFile.h"
#include "list/ListModel.h"
#include "platform/PathUtil.h"
#include "platform/ProgramError.h"
#include "settings/OptionsFile.h"
#include "vidsplit/FrameFiles.h"
#include "video/FrameSource.h"
#include "vidsplit/NewFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace {

// Far above any list (100,000 entries take about 10 MB), far below any video.
constexpr qint64 kMaxListFileBytes = qint64(1) << 30;

QString lineBreakMessage(const QString& path)
{
    return QStringLiteral("%1 : nom avec un saut de ligne, il ne peut pas aller dans une liste").arg(path);
}

QString absoluteDir(const QString& dir)
{
    return withTrailingSlash(QDir::cleanPath(QDir(dir.isEmpty() ? QDir::currentPath() : dir).absolutePath()));
}

// The list's entries as they stand, or none when the file does not exist yet.
std::vector<ListEntry> existingEntries(const QString& listPath)
{
    const QFileInfo info(listPath);
    if (!info.exists())
        return {};
    checkListFileKind(listPath);
    // The program saves an empty list as a header whose count is 0, which reads back as a list
    // without header holding one entry made of the header's lines; appending to it would make that
    // entry real.
    static const QByteArray emptyList = formatListFile({});
    if (info.size() == emptyList.size()) {
        QFile f(listPath);
        if (f.open(QIODevice::ReadOnly) && f.readAll() == emptyList)
            return {};
    }
    try {
        return readListFile(listPath);
    } catch (const ProgramError& e) {
        throw ProgramError(QStringLiteral("%1 : %2").arg(listPath, e.text()));
    }
}

}  // namespace

void checkListFileKind(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return;  // missing, or unreadable: the reading says why
    if (S_ISDIR(st.st_mode))
        throw ProgramError(QStringLiteral("%1 : c'est un répertoire").arg(path));
    if (!S_ISREG(st.st_mode))
        throw ProgramError(QStringLiteral("%1 : ce n'est pas un fichier ordinaire").arg(path));
    if (st.st_size > kMaxListFileBytes)
        throw ProgramError(QStringLiteral("%1 : fichier trop grand pour une liste (%2 octets)").arg(path).arg(qint64(st.st_size)));
}

bool hasLineBreak(const QString& name)
{
    return name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r'));
}

QString defaultListQuality()
{
    ProgramOptions o;
    loadProgramOptions(o);
    if (o.DefaultScore == '\0')
        return QStringLiteral("0");
    return QString(QChar(static_cast<unsigned char>(o.DefaultScore)));
}

QString defaultListFile(const QString& video, const QString& outDir)
{
    return absoluteDir(outDir) + QFileInfo(video).completeBaseName() + QStringLiteral(".LST");
}

ExtractResult Extraction::run()
{
    ExtractResult result;
    const ExtractOptions& o = options_;
    const QString dir = absoluteDir(o.outDir);
    const QString listPath = o.listFile.isEmpty() ? defaultListFile(o.video, o.outDir)
                                                  : QFileInfo(o.listFile).absoluteFilePath();
    const QString stem = QFileInfo(o.video).completeBaseName();

    // Frames are named after the video and listed with their directory.
    if (hasLineBreak(stem)) {
        result.problems << lineBreakMessage(o.video);
        return result;
    }
    if (hasLineBreak(dir)) {
        result.problems << lineBreakMessage(dir);
        return result;
    }

    std::unique_ptr<FrameSource> source;
    try {
        // Everything that can be checked before the first frame is, so that a bad list or an
        // unwritable directory costs nothing. A missing directory is made, as scripts expect.
        if (!QFileInfo::exists(dir))
            QDir().mkpath(dir);
        checkWritableDirectory(dir);
        existingEntries(listPath);
        checkWritableDirectory(directoryPart(listPath));
        source = openFrameSource(o.video, SourceOptions{o.byteOrder, o.grey});
    } catch (const ProgramError& e) {
        result.problems << e.text();
        return result;
    }
    if (source->countIsExact() && o.first > source->frameCount()) {
        result.problems << videoMessage(o.video, QStringLiteral("l'image %1 n'existe pas (la vidéo en compte %2)")
                                                     .arg(o.first).arg(source->frameCount()));
        return result;
    }

    // A count past the end stops at the end, however large.
    const int64_t last = o.count < 0 || o.count - 1 > INT64_MAX - o.first ? INT64_MAX : o.first + (o.count - 1);
    ExtractProgress progress;
    if (o.count >= 0)
        progress.total = o.count;
    if (source->frameCount() >= 0) {
        const int64_t rest = std::max<int64_t>(0, source->frameCount() - o.first + 1);
        progress.total = progress.total < 0 ? rest : std::min(progress.total, rest);
    }
    QElapsedTimer clock;
    clock.start();
    Frame8 frame;
    std::vector<uint8_t> bytes;
    QString error;
    source->seek(o.first);
    bool reachedEnd = false;
    while (source->lastNumber() < last) {
        if (stop_) {
            result.stopped = true;
            break;
        }
        const FrameRead r = source->read(frame, error);
        if (r == FrameRead::End) {
            reachedEnd = true;
            break;
        }
        if (source->lastNumber() < o.first)
            continue;  // a broken frame before the range, while seeking
        if (r == FrameRead::Broken) {
            result.problems << videoMessage(o.video, QStringLiteral("image %1 illisible (%2)").arg(source->lastNumber()).arg(error));
        } else {
            encodeBmp(frame, bytes);
            try {
                progress.lastFile = publishNewFile(dir + frameFileName(stem, source->lastNumber()), bytes.data(),
                                                   bytes.size(), source->lastTime());
            } catch (const ProgramError& e) {
                result.problems << e.text();
                break;  // a full disk or a lost directory fails every frame after
            }
            result.frames << progress.lastFile;
            ++result.written;
        }
        ++progress.done;
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        progress.framesPerSecond = seconds > 0 ? double(progress.done) / seconds : 0;
        if (progress_)
            progress_(progress);
    }
    if (reachedEnd && !source->endError().isEmpty())
        result.problems << videoMessage(o.video, source->endError());
    if (reachedEnd && source->lastNumber() < o.first) {
        result.problems << videoMessage(o.video, QStringLiteral("l'image %1 n'existe pas (la vidéo en compte %2)")
                                                     .arg(o.first).arg(source->lastNumber()));
    } else if (reachedEnd && o.count >= 0) {
        result.problems << videoMessage(o.video, QStringLiteral("la vidéo s'arrête à l'image %1 (images %2 à %3 demandées)")
                                                     .arg(source->lastNumber()).arg(o.first).arg(last));
    }

    if (!result.frames.isEmpty())
        addToList(result, listPath, dir);
    return result;
}

void Extraction::addToList(ExtractResult& result, const QString& listPath, const QString& directory)
{
    try {
        // Read again just before writing: the list may have been saved since the check.
        std::vector<ListEntry> entries = existingEntries(listPath);
        const QString quality = defaultListQuality();
        const QString& blank = ListModel::blank();
        entries.reserve(entries.size() + size_t(result.frames.size()));
        for (const QString& path : result.frames) {
            if (hasLineBreak(path)) {
                result.problems << lineBreakMessage(path);
                continue;
            }
            entries.push_back({blank, ListModel::formatNumber(int(entries.size())), directory, namePart(path), quality,
                               blank, blank});
        }
        writeListFile(listPath, entries);
        result.listFile = listPath;
    } catch (const ProgramError& e) {
        result.problems << (e.text().startsWith(listPath) ? e.text() : QStringLiteral("%1 : %2").arg(listPath, e.text()));
    }
}
