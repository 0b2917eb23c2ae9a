#include "batch/ScoreZero.h"

#include "controller/ReviewController.h"
#include "batch/BatchPass.h"
#include "batch/JournalFileOp.h"
#include "platform/Prompts.h"
#include "platform/ShellFileOp.h"

#include <vector>

namespace {
bool scoredZero(const ListEntry& e) { return e.quality == QLatin1String("0"); }
}

int deleteScoreZero(ReviewController& review, ShellFileOp& ops, Prompts& ask)
{
    if (!ask.confirm(QString::fromUtf8("Voulez-vous Envoyer à la Corbeille les Fichiers de Score=0 ?")))
        return 0;
    ListModel& model = review.model();
    {
        // A list scored 0 throughout is more often a slip of the keys than a wish to lose a series.
        const ListStore& store = model.store();
        int zeros = 0;
        for (int i = 0; i < store.size(); ++i)
            zeros += store.sharedText(ListModel::ColQuality, i) == QLatin1String("0");
        if (zeros > 0 && zeros == store.size()
            && !ask.confirm(QString::fromUtf8("Tous les fichiers de la liste ont le score 0 (%1). Continuer?").arg(zeros)))
            return 0;
    }
    int count = 0;
    PassReport report(ask);
    {
        StopScope scope(review.stopFlag());
        JournalFileOp journal(ops, QStringLiteral("Corbeille"), ask);
        int plannedUntil = 0;
        auto planFrom = [&](int from) {
            int row = from;
            for (; row < from + kJournalAhead && row <= review.LastRow() && model.isEntryRow(row); ++row) {
                const QString path = review.EntryPath(row);
                if (scoredZero(model.entry(row)) && !namesVideoFrame(path))
                    journal.expect(JournalKind::Trash, path, {});
            }
            journal.expectationsDone();
            plannedUntil = row;
        };
        std::vector<ListEntry> kept;
        kept.reserve(size_t(model.entryCount()));
        std::vector<TakenEntry> taken;
        PassPaths done;
        bool goOn = true;
        int row = review.FirstRow();
        for (; goOn && scope.running() && row <= review.LastRow() && model.isEntryRow(row); ++row) {
            ListEntry e = model.entry(row);
            bool keep = true;
            if (scoredZero(e)) {
                const QString path = review.EntryPath(row);
                if (done.movedTo(path)) {
                    keep = false;  // another entry of the same file sent it to the trash already
                } else if (report.treats(path, goOn)) {
                    if (row >= plannedUntil)
                        planFrom(row);
                    const FileOpResult r = journal.SendToRecycleBin(path);
                    done.record(r);
                    if (r.ok) {
                        ++count;
                        keep = false;
                    } else {
                        goOn = report.failed(path, r.error, path);
                    }
                }
            }
            if (keep) {
                e.mark = ListModel::blank();
                kept.push_back(std::move(e));
            } else {
                taken.push_back({row, std::move(e)});
            }
            scope.keepGoing();
        }
        // Stopped: the entries not reached stay as they were, marks included.
        for (; row <= review.LastRow() && model.isEntryRow(row); ++row)
            kept.push_back(model.entry(row));

        int number = 0;
        for (ListEntry& e : kept)
            e.number = ListModel::formatNumber(number++);
        model.clear();
        model.append(std::move(kept));
        review.takenEntries().keep(journal.journalPath(), std::move(taken));
    }
    review.Recount();
    ask.message(report.closing(count, " Fichiers Supprimés"));
    return count;
}
