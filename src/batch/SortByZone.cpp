#include "batch/SortByZone.h"

#include "app/ReviewController.h"
#include "batch/BatchPass.h"
#include "platform/PathUtil.h"
#include "platform/ProgramError.h"
#include "platform/Prompts.h"
#include "platform/ShellFileOp.h"
#include "settings/Options.h"

int sortByZone(ReviewController& review, ShellFileOp& ops, Prompts& ask, bool confirmed)
{
    const ProgramOptions& o = programOptions();
    const bool toBase = confirmed && o.SortMoveToBase;
    const QString base = o.SortBaseDirectory;
    ListModel& model = review.model();
    int count = 0;
    {
        StopScope scope(review.stopFlag());
        PassPaths done;
        for (int row = review.FirstRow(); scope.running() && row <= review.LastRow() && model.isEntryRow(row); ++row) {
            review.SelectRow(row);
            const QString zone = model.cell(ListModel::ColZone, row);
            if (zone.isEmpty() || zone == ListModel::blank()) {
                scope.keepGoing();
                continue;
            }
            const int z = toInteger(zone);
            QString parent = toBase ? base : model.cell(ListModel::ColDirectory, row);
            if (!parent.isEmpty())
                parent = withTrailingSlash(parent);
            const QString dir = parent + QStringLiteral("Zone") + QString::number(z) + QLatin1Char('/');
            ops.ShellMakeDirectory(dir);  // one that exists already is fine
            const QString path = review.EntryPath(row);
            if (const std::optional<QString> at = done.movedTo(path)) {
                pointEntryAt(model, row, *at);  // its file went with an earlier entry
            } else if (!done.madeHere(path)) {
                const FileOpResult r = ops.ShellMoveFile(path, dir + model.cell(ListModel::ColName, row));
                done.record(r);
                if (r.ok) {
                    pointEntryAt(model, row, r.used);
                    ++count;
                }
            }
            scope.keepGoing();
        }
    }
    ask.message(passDoneMessage(count, " Fichiers Traités"));
    return count;
}
