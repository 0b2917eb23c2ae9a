#include "controller/VideoCommands.h"

#include "controller/ReviewController.h"
#include "controller/StopScope.h"
#include "list/ListModel.h"
#include "platform/Picture.h"
#include "platform/ProgramError.h"
#include "platform/Prompts.h"
#include "settings/Options.h"
#include "video/FrameEntry.h"
#include "video/SerWriter.h"

#include <QFileInfo>

#include <atomic>

namespace {

const QString kCaption = QStringLiteral("Enregistrer les Images en SER");

// The entry as the writer takes it: a video's frame, or a picture file.
SerFrameSource sourceOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (const std::optional<FrameEntry> f = parseFrameEntry(path.mid(slash + 1)))
        return {path.left(slash + 1) + f->video, f->number};
    return {path, 0};
}

}  // namespace

void VideoCommands::EnregistrerSer(const std::function<void(int64_t, int64_t)>& progress)
{
    if (review_.listIsEmpty())
        return;
    FileDialogRequest request;
    request.caption = kCaption;
    request.filter = QStringLiteral("Vidéo SER (*.ser)|*.ser|Tous fichiers (*.*)|*.*");
    request.directory = programOptions().LastImageDirectory;
    request.defaultSuffix = QStringLiteral("ser");
    request.mustExist = false;
    request.confirmOverwrite = false;  // asked below, as every write of the program asks
    std::optional<QString> chosen = prompts().saveFile(request);
    if (!chosen || chosen->isEmpty())
        return;
    QString out = *chosen;
    if (QFileInfo(out).suffix().isEmpty())
        out += QStringLiteral(".ser");
    const std::optional<QString> minText = prompts().inputBox(kCaption, QStringLiteral("Score minimum:"), QStringLiteral("1"));
    if (!minText)
        return;
    bool ok = false;
    const int minScore = minText->trimmed().toInt(&ok);
    if (!ok) {
        prompts().error(QStringLiteral("Score minimum incorrect: \"%1\"").arg(*minText));
        return;
    }

    std::vector<SerFrameSource> kept;
    for (int row = review_.FirstRow(); row <= review_.LastRow(); ++row) {
        bool scored = false;
        const int score = review_.model().cell(ListModel::ColQuality, row).trimmed().toInt(&scored);
        if (scored && score >= minScore)
            kept.push_back(sourceOf(review_.EntryPath(row)));
    }
    if (kept.empty()) {
        prompts().message(QStringLiteral("Aucune image de score %1 ou plus: rien n'est écrit").arg(minScore));
        return;
    }
    SerWriteOptions options;
    if (QFileInfo::exists(out)) {
        if (!prompts().confirm(QStringLiteral("Le fichier %1 existe déjà. Remplacer?").arg(out)))
            return;
        options.replace = true;
    }
    options.loadPicture = loadPictureFrame8;
    options.instrument = QStringLiteral("Velmoran");
    std::atomic<bool> stop{false};
    options.stop = &stop;
    StopScope scope(review_.stopFlag());
    options.progress = [&](int64_t done, int64_t total) {
        if (progress)
            progress(done, total);
        if (!scope.keepGoing())
            stop = true;
    };
    QString closing;
    bool failed = false;
    try {
        const SerWriteResult r = writeSerFile(out, captureOrder(std::move(kept)), options);
        if (r.stopped)
            closing = QStringLiteral("Enregistrement arrêté: %1 n'est pas écrit").arg(out);
        else if (r.frames == 1)
            closing = QStringLiteral("1 image enregistrée dans %1").arg(out);
        else
            closing = QStringLiteral("%1 images enregistrées dans %2").arg(r.frames).arg(out);
    } catch (const ProgramError& e) {
        closing = e.text();
        failed = true;
    }
    // The bar goes before the closing box is read.
    if (progress)
        progress(0, 0);
    if (failed)
        prompts().error(closing);
    else
        prompts().message(closing);
}
