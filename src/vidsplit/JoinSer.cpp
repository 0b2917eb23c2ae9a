#include "vidsplit/JoinSer.h"

#include "list/ListFile.h"
#include "platform/Picture.h"
#include "platform/ProgramError.h"
#include "vidsplit/Extraction.h"
#include "vidsplit/NewFile.h"
#include "video/FrameEntry.h"
#include "video/SerWriter.h"

#include <QFileInfo>

#include <cstring>
#include <limits>
#include <optional>
#include <vector>

JoinResult joinToSer(const JoinOptions& o, const std::function<void(int64_t, int64_t)>& progress)
{
    checkListFileKind(o.listFile);
    std::vector<ListEntry> entries;
    try {
        entries = readListFile(o.listFile);
    } catch (const ProgramError& e) {
        throw ProgramError(QStringLiteral("%1 : %2").arg(o.listFile, e.text()));
    }
    std::vector<SerFrameSource> kept;
    for (const ListEntry& e : entries) {
        int q = 0;
        if (o.minScore && (!parseInteger(e.quality, q) || q < *o.minScore))
            continue;
        if (const std::optional<FrameEntry> frame = frameEntryIn(e.directory, e.name))
            kept.push_back({e.directory + frame->video, frame->number});
        else
            kept.push_back({e.directory + e.name, 0});
    }
    if (kept.empty()) {
        throw ProgramError(o.minScore ? QStringLiteral("%1 : aucune image de qualité %2 ou plus").arg(o.listFile).arg(*o.minScore)
                                      : QStringLiteral("%1 : la liste est vide").arg(o.listFile));
    }
    if (kept.size() > size_t(std::numeric_limits<int32_t>::max()))
        throw ProgramError(QStringLiteral("%1 : trop d'images pour une vidéo SER").arg(o.listFile));

    SerWriteOptions w;
    w.loadPicture = loadPictureFrame8;
    w.instrument = QStringLiteral("vidsplit");
    w.progress = progress;
    // The file is made only once every frame has been checked, at the first byte written.
    const QString outPath = QFileInfo(o.outFile).absoluteFilePath();
    std::optional<NewFile> out;
    const SerWriteResult written = assembleSer(captureOrder(std::move(kept)), w, [&](const void* data, size_t size) {
        if (!out)
            out.emplace(outPath);
        out->write(data, size);
    });

    JoinResult result;
    result.outFile = out->publish();
    result.frames = written.frames;
    result.mono = written.colorId == 0;
    return result;
}
