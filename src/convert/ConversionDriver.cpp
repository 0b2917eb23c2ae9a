#include "convert/ConversionDriver.h"

#include "controller/ReviewController.h"
#include "controller/StopScope.h"
#include "convert/ConversionOutputs.h"
#include "platform/PathUtil.h"
#include "platform/ProgramError.h"
#include "platform/Prompts.h"
#include "platform/ScopeExit.h"
#include "settings/Options.h"
#include "video/FrameEntry.h"

#include <new>

QString conversionOutputBase(const ProgramOptions& options, const QString& source, int row)
{
    QString dir = options.MoveToTarget ? options.TargetDirectory : QString();
    if (dir.isEmpty())
        dir = directoryPart(source);
    if (!dir.isEmpty())
        dir = withTrailingSlash(dir);

    QString name;
    if (options.RenameByBatch) {
        name = options.BatchName + QStringLiteral("%1").arg(row, 4, 10, QLatin1Char('0'));
    } else {
        // The stem stops at the first "."; a name without one is its own stem. A frame of a video
        // is named after the video and its number, as the frame extractor names it.
        const std::optional<FrameEntry> frame = parseFrameEntry(namePart(source));
        const QString file = frame ? frame->video : namePart(source);
        const qsizetype dot = file.indexOf(QLatin1Char('.'));
        name = dot < 0 ? file : file.left(dot);
        if (name.isEmpty())
            name = QStringLiteral("X");
        if (frame)
            name += QStringLiteral("_%1").arg(frame->number, 5, 10, QLatin1Char('0'));
    }
    return dir + name;
}

namespace {

// The files of a run that could not be converted, asked about as the batch passes do.
class Failures {
public:
    // Counts the failure and asks whether to go on ("Oui pour Tous" goes on without asking again):
    // true to go on with the next entry.
    bool askToGoOn(const QString& source, const QString& reason)
    {
        const QString why = reason.isEmpty() ? source : reason + QStringLiteral(" : ") + source;
        if (count_++ == 0)
            first_ = why;
        if (goOnAll_)
            return true;
        QString text = QStringLiteral("Voulez-vous Continuer?");
        if (!reason.isEmpty())
            text.prepend(reason + QLatin1Char('\n'));
        switch (prompts().choice(QStringLiteral("Impossible de Traiter le Fichier: ") + source, text, true)) {
        case Choice::YesToAll:
            goOnAll_ = true;
            return true;
        case Choice::Yes: return true;
        case Choice::No:
        case Choice::Cancel: break;
        }
        return false;
    }
    // The closing message: the files written, then the failures and the first one's reason.
    QString closing(int written) const
    {
        QString text = QString::fromUtf8("Traitement Terminé: ") + QString::number(written)
            + QStringLiteral(" Fichiers Traités");
        if (count_ > 0)
            text += QLatin1Char('\n') + QString::number(count_)
                + QString::fromUtf8(count_ > 1 ? " Échecs, le premier : " : " Échec : ") + first_;
        return text;
    }

private:
    int count_ = 0;
    QString first_;
    bool goOnAll_ = false;
};

}  // namespace

int ConvertirBmpClick(ReviewController& review, const std::function<bool()>& askOptions, Converter converter)
{
    const bool chosen = converter && askOptions && askOptions();
    ConversionOutputs outputs;
    Failures failures;
    try {
        StopScope scope(review.stopFlag());
        if (chosen && !review.listIsEmpty()) {
            const ProgramOptions& options = programOptions();
            // Hidden for a run without "Visu", the slideshow comes back when the run ends, however
            // it ends.
            const auto showSlideshow = conversionDisplay().showSlideshow;
            const bool visu = options.ShowConverted;
            const bool wasShown = showSlideshow && showSlideshow(visu);
            const ScopeExit giveBack([&] {
                if (wasShown && !visu)
                    showSlideshow(true);
            });
            // LastRow is read again at each entry: the list may change while events are let through.
            for (int row = review.FirstRow(); row <= review.LastRow() && scope.running(); ++row) {
                review.SelectRow(row);
                const QString source = review.EntryPath(row);
                review.setListCaption(source);
                // One file that cannot be converted does not end the run: the user says whether
                // to go on.
                bool failed = false;
                QString reason;
                try {
                    failed = !converter(options, source, conversionOutputBase(options, source, row));
                } catch (const ProgramError& e) {
                    failed = true;
                    reason = e.text();
                } catch (const std::bad_alloc&) {
                    failed = true;
                    reason = QString::fromUtf8("Mémoire insuffisante");
                }
                if (failed && !failures.askToGoOn(source, reason))
                    break;
                scope.keepGoing();
            }
        }
    } catch (const RunCancelled&) {
        // "Annuler" to a replace question: the run ends and says what it wrote.
    } catch (const SilentAbort&) {
        return outputs.written();
    }
    prompts().message(failures.closing(outputs.written()));
    return outputs.written();
}
