#include "controller/ListCommands.h"

#include "controller/ReviewController.h"
#include "list/ListFile.h"
#include "platform/EventPump.h"
#include "platform/PathUtil.h"
#include "platform/ProgramError.h"
#include "platform/Prompts.h"
#include "settings/Options.h"
#include "video/FrameEntry.h"
#include "video/VideoFrames.h"

#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <cerrno>

namespace {

const char* const kAddFilesFilter =
    "Conversion (*.bmp;*.ico)|*.bmp;*.ico|Diaporama (*.bmp;*.jpg;*.ico;*.emf;*.wmf)|"
    "*.bmp;*.jpg;*.ico;*.emf;*.wmf|Astronomie (*.fit;*.fits;*.fts;*.fz;*.png;*.tif;*.tiff)|"
    "*.fit;*.fits;*.fts;*.fz;*.png;*.tif;*.tiff|Vidéos (*.ser;*.avi)|*.ser;*.avi|Tous Fichiers (*.*)|*.*";
const char* const kListFilter = "Liste (*.lst)|*.LST|Tous fichiers (*.*)|*.*";
const char* const kBitmapFilter = "Fichiers BMP (*.bmp)|*.BMP|Tous fichiers (*.*)|*.*";

}  // namespace

ListOutcome ListCommands::Ouvrir()
{
    FileDialogRequest r;
    r.filter = QString::fromUtf8(kListFilter);
    r.directory = directoryPart(programOptions().LastListFile);
    r.multiSelect = true;
    r.mustExist = false;
    const QStringList files = prompts().openFiles(r);
    if (files.isEmpty())
        return ListOutcome::Cancelled;
    const QString path = files.first();
    openedPath_ = path;
    programOptions().LastListFile = path;
    programOptions().LastImageDirectory = directoryPart(path);
    ListDocument& doc = review_.document();
    doc.setModified(false);
    try {
        doc.readFrom(path);
    } catch (...) {
        review_.Recount();  // keeps LastRow true to the (empty) list
        throw;
    }
    review_.Recount();
    return ListOutcome::Done;
}

ListOutcome ListCommands::OuvrirEtRenommer()
{
    if (Ouvrir() != ListOutcome::Done)
        return ListOutcome::Cancelled;
    QString dir = directoryPart(openedPath_);
    if (dir.isEmpty())
        dir = QFileInfo(openedPath_).absolutePath();
    review_.model().setAllDirectories(withTrailingSlash(dir));
    return ListOutcome::Done;
}

ListOutcome ListCommands::Enregistrer()
{
    const QString last = programOptions().LastListFile;
    FileDialogRequest r;
    r.filter = QString::fromUtf8(kListFilter);
    r.defaultSuffix = QStringLiteral("LST");
    r.directory = directoryPart(last);
    r.fileName = namePart(last);
    r.confirmOverwrite = true;
    const std::optional<QString> name = prompts().saveFile(r);
    if (!name)
        return ListOutcome::Cancelled;
    const QString path = listFileName(*name);
    programOptions().LastListFile = path;
    review_.document().writeTo(path);
    review_.SetListModified(false);
    return ListOutcome::Done;
}

bool ListCommands::OfferToSave()
{
    if (!review_.ListModified())
        return true;
    switch (prompts().choice(QStringLiteral("Confirmation"),
                             QStringLiteral("Enregistrer les Modifications de la Liste?"))) {
    case Choice::No: return true;
    case Choice::Yes:
    case Choice::YesToAll: break;
    case Choice::Cancel: return false;
    }
    try {
        return Enregistrer() == ListOutcome::Done;
    } catch (const ProgramError& e) {
        prompts().error(e.text() + QStringLiteral(" : \"") + programOptions().LastListFile + QStringLiteral("\""));
    } catch (const std::exception& e) {
        prompts().error(commandErrorText(e));
    }
    return false;
}

ListOutcome ListCommands::AddFiles(bool replace)
{
    FileDialogRequest r;
    r.filter = QString::fromUtf8(kAddFilesFilter);
    r.directory = programOptions().LastImageDirectory;
    r.multiSelect = true;
    const QStringList files = prompts().openFiles(r);
    if (!files.isEmpty()) {
        programOptions().LastImageDirectory = directoryPart(files.first());
        if (replace)
            review_.document().clear();
        AppendFiles(files);
    }
    review_.Recount();
    return files.isEmpty() ? ListOutcome::Cancelled : ListOutcome::Done;
}

void ListCommands::AppendFiles(const QStringList& paths)
{
    QString refused;
    QStringList errors;
    review_.document().appendFiles(withVideoFrames(acceptedForList(paths, refused), errors));
    if (!refused.isEmpty())
        prompts().message(refused);
    for (const QString& e : errors)
        prompts().error(e);
}

QStringList withVideoFrames(const QStringList& paths, QStringList& errors)
{
    QStringList out;
    out.reserve(paths.size());
    for (const QString& p : paths) {
        const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
        const QString name = p.mid(slash + 1);
        if (!isVideoFileName(name)) {
            out << p;
            continue;
        }
        QString error;
        const int64_t count = videoFrames().frameCount(p, error);
        if (count < 0) {
            errors << error;
            continue;
        }
        const QString dir = p.left(slash + 1);
        for (int64_t n = 1; n <= count; ++n)
            out << dir + frameEntryName(name, n);
    }
    return out;
}

void ListCommands::CollerPressePapier()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* mime = clipboard->mimeData();
    QImage image;
    if (mime && mime->hasImage())
        image = qvariant_cast<QImage>(mime->imageData());
    if (image.isNull()) {
        prompts().message(QStringLiteral("Pas de Bitmap Disponible dans le presse Papier"));
        return;
    }
    FileDialogRequest r;
    r.fileName = clipboard->text();
    r.filter = QString::fromUtf8(kBitmapFilter);
    r.defaultSuffix = QStringLiteral("BMP");
    r.directory = programOptions().LastImageDirectory;
    const std::optional<QString> name = prompts().saveFile(r);
    if (!name)
        return;

    // 24-bit, the form every converter of the program reads.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP"))
        throw ProgramError(fileErrorText(ENOMEM));
    saveFileSafely(*name, bytes);  // throws before anything is appended

    AppendFiles({*name});
    review_.Recount();
    // The pasted picture is shown as the entry it now is, so that a tag key lands on it.
    review_.WantView(ReviewView::SlideshowShown);
    review_.GotoRow(review_.LastRow());
    review_.ShowCurrent(review_.CurrentRow());
    clipboard->clear();
}

void ListCommands::Effacer()
{
    // The entries left are renumbered from 0000, as if the list had been emptied and refilled.
    review_.model().removeMarked();
    review_.Recount();
}

ListOutcome ListCommands::Vider()
{
    const bool confirmed = prompts().confirm(QStringLiteral("Vider la Liste?"));
    if (confirmed)
        ClearList();
    // An empty list counts as emptied, whatever the answer.
    if (review_.listIsEmpty())
        review_.SetListModified(false);
    return confirmed ? ListOutcome::Done : ListOutcome::Cancelled;
}

void ListCommands::ClearList()
{
    review_.document().clear();
    review_.Recount();
}

void ListCommands::Renumeroter()
{
    // Rows are written quietly and the views told once: one signal per row would cost more than
    // the numbering itself on a long list.
    ListModel& model = review_.model();
    for (int row = review_.FirstRow(); row <= review_.LastRow() && model.isEntryRow(row); ++row) {
        model.numberRowQuietly(row);
        pumpEvents();
    }
    model.numbersChanged();
}

void ListCommands::ModifierRepertoires(const QString& directory)
{
    review_.model().setAllDirectories(withTrailingSlash(directory));
}
