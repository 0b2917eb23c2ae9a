#include "batch/RenameMove.h"

#include "controller/ReviewController.h"
#include "batch/BatchPass.h"
#include "batch/JournalFileOp.h"
#include "platform/PathUtil.h"
#include "platform/Prompts.h"
#include "platform/ShellFileOp.h"
#include "settings/Options.h"

QString batchFileName(const QString& base, int position, const QString& name)
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return base + ListModel::formatNumber(position) + (dot >= 0 ? name.mid(dot) : QString());
}

int renameAndMove(ReviewController& review, ShellFileOp& ops, Prompts& ask, bool confirmed)
{
    const ProgramOptions& o = programOptions();
    if (!confirmed || (!o.RenameByBatch && !o.MoveToTarget)) {
        ask.message(QStringLiteral("Pas de Nom Valide"));
        return 0;
    }
    const bool rename = o.RenameByBatch;
    const bool move = o.MoveToTarget;
    const QString base = o.BatchName;
    const QString target = move && !o.TargetDirectory.isEmpty() ? withTrailingSlash(o.TargetDirectory) : QString();
    // Every entry would take the break into the list.
    if (const QString why = listPathRefusal(target + (rename ? base : QString())); !why.isEmpty()) {
        ask.message(why);
        return 0;
    }
    ListModel& model = review.model();
    // Where the file of an entry goes.
    auto targetOf = [&](int row) {
        const QString name = model.cell(ListModel::ColName, row);
        const QString dir = target.isEmpty() ? model.cell(ListModel::ColDirectory, row) : target;
        return dir + (rename ? batchFileName(base, row - review.FirstRow() + 1, name) : name);
    };
    const JournalKind kind = move ? JournalKind::Move : JournalKind::Rename;
    int count = 0;
    PassReport report(ask);
    {
        StopScope scope(review.stopFlag());
        JournalFileOp journal(ops, QStringLiteral("Renommer"), ask);
        int plannedUntil = 0;
        auto planFrom = [&](int from) {
            int row = from;
            for (; row < from + kJournalAhead && row <= review.LastRow() && model.isEntryRow(row); ++row)
                if (const QString path = review.EntryPath(row); !namesVideoFrame(path))
                    journal.expect(kind, path, targetOf(row));
            journal.expectationsDone();
            plannedUntil = row;
        };
        PassPaths done;
        bool goOn = true;
        for (int row = review.FirstRow(); goOn && scope.running() && row <= review.LastRow() && model.isEntryRow(row);
             ++row) {
            review.SelectRow(row);
            const QString to = targetOf(row);
            const QString path = review.EntryPath(row);
            if (const std::optional<QString> at = done.movedTo(path)) {
                pointEntryAt(model, row, *at);  // its file went with an earlier entry
            } else if (done.madeHere(path)) {
                report.leaveEntry(EntryFile::Missing);  // its own file was gone; another one took its name
            } else if (report.treats(path, goOn)) {
                if (row >= plannedUntil)
                    planFrom(row);
                const FileOpResult r = move ? journal.ShellMoveFile(path, to) : journal.ShellRenameFile(path, to);
                done.record(r);
                if (r.ok) {
                    pointEntryAt(model, row, r.used);
                    ++count;
                } else {
                    goOn = report.failed(path, r.error, path);
                }
            }
            scope.keepGoing();
        }
    }
    ask.message(report.closing(count, " Fichiers Traités"));
    return count;
}
