#include "batch/ScoreZero.h"

#include "app/ReviewController.h"
#include "batch/BatchPass.h"
#include "batch/JournalFileOp.h"
#include "platform/Prompts.h"
#include "platform/ShellFileOp.h"

#include <vector>

int deleteScoreZero(ReviewController& review, ShellFileOp& ops, Prompts& ask)
{
    if (!ask.confirm(QString::fromUtf8("Voulez-vous Envoyer à la Corbeille les Fichiers de Score=0 ?")))
        return 0;
    ListModel& model = review.model();
    int count = 0;
    {
        StopScope scope(review.stopFlag());
        JournalFileOp journal(ops, QStringLiteral("Corbeille"), ask);
        int plannedUntil = 0;
        auto planFrom = [&](int from) {
            int row = from;
            for (; row < from + kJournalAhead && row <= review.LastRow() && model.isEntryRow(row); ++row)
                if (model.entry(row).quality == QLatin1String("0"))
                    journal.expect(JournalKind::Trash, review.EntryPath(row), {});
            journal.expectationsDone();
            plannedUntil = row;
        };
        std::vector<ListEntry> kept;
        kept.reserve(size_t(model.entryCount()));
        std::vector<TakenEntry> taken;
        PassPaths done;
        // The whole list is gone through whatever the stop keys say: they are looked at once, after
        // the last entry.
        for (int row = review.FirstRow(); row <= review.LastRow() && model.isEntryRow(row); ++row) {
            const ListEntry& e = model.entry(row);
            bool keep = true;
            if (e.quality == QLatin1String("0")) {
                const QString path = review.EntryPath(row);
                if (done.movedTo(path)) {
                    keep = false;  // another entry of the same file sent it to the trash already
                } else {
                    if (row >= plannedUntil)
                        planFrom(row);
                    const FileOpResult r = journal.SendToRecycleBin(path);
                    done.record(r);
                    if (r.ok) {
                        ++count;
                        keep = false;
                    }
                }
            }
            if (keep)
                kept.push_back(e);
            else
                taken.push_back({row, e});
            scope.keepGoing();
        }
        if (!scope.running())
            return count;

        int number = 0;
        for (ListEntry& e : kept) {
            e.mark = ListModel::blank();
            e.number = ListModel::formatNumber(number++);
        }
        model.clear();
        model.append(std::move(kept));
        review.takenEntries().keep(journal.journalPath(), std::move(taken));
    }
    review.Recount();
    ask.message(passDoneMessage(count, " Fichiers Supprimés"));
    return count;
}
