#include "batch/SortByZone.h"

#include "controller/ReviewController.h"
#include "batch/BatchPass.h"
#include "batch/JournalFileOp.h"
#include "platform/PathUtil.h"
#include "platform/ProgramError.h"
#include "platform/Prompts.h"
#include "platform/ShellFileOp.h"
#include "settings/Options.h"

#include <cerrno>

int sortByZone(ReviewController& review, ShellFileOp& ops, Prompts& ask, bool confirmed)
{
    const ProgramOptions& o = programOptions();
    const bool toBase = confirmed && o.SortMoveToBase;
    const QString base = o.SortBaseDirectory;
    // Every entry moved would take the break into the list.
    if (const QString why = toBase ? listPathRefusal(base) : QString(); !why.isEmpty()) {
        ask.message(why);
        return 0;
    }
    ListModel& model = review.model();
    // The Zone folder of an entry with zone z.
    auto zoneFolder = [&](int row, int z) {
        QString parent = toBase ? base : model.cell(ListModel::ColDirectory, row);
        if (!parent.isEmpty())
            parent = withTrailingSlash(parent);
        return parent + QStringLiteral("Zone") + QString::number(z) + QLatin1Char('/');
    };
    auto hasZone = [&](int row) {
        const QString zone = model.cell(ListModel::ColZone, row);
        return !zone.isEmpty() && zone != ListModel::blank();
    };
    int count = 0;
    PassReport report(ask);
    {
        StopScope scope(review.stopFlag());
        JournalFileOp journal(ops, QStringLiteral("TriZones"), ask);
        int plannedUntil = 0;
        auto planFrom = [&](int from) {
            int row = from;
            for (; row < from + kJournalAhead && row <= review.LastRow() && model.isEntryRow(row); ++row) {
                int z = 0;
                if (!hasZone(row) || namesVideoFrame(review.EntryPath(row)))
                    continue;
                if (!parseInteger(model.cell(ListModel::ColZone, row), z))
                    break;  // the run stops there
                journal.expect(JournalKind::Move, review.EntryPath(row),
                               zoneFolder(row, z) + model.cell(ListModel::ColName, row));
            }
            journal.expectationsDone();
            plannedUntil = row;
        };
        PassPaths done;
        bool goOn = true;
        for (int row = review.FirstRow(); goOn && scope.running() && row <= review.LastRow() && model.isEntryRow(row);
             ++row) {
            review.SelectRow(row);
            if (!hasZone(row)) {
                scope.keepGoing();
                continue;
            }
            const int z = toInteger(model.cell(ListModel::ColZone, row));
            const QString path = review.EntryPath(row);
            if (const std::optional<QString> at = done.movedTo(path)) {
                pointEntryAt(model, row, *at);  // its file went with an earlier entry
            } else if (done.madeHere(path)) {
                report.leaveEntry(EntryFile::Missing);  // its own file was gone; another one took its name
            } else if (report.treats(path, goOn)) {
                if (row >= plannedUntil)
                    planFrom(row);
                const QString dir = zoneFolder(row, z);
                // One that exists already is fine; one that cannot be made is the reason the move
                // would fail for.
                const FileOpResult made = journal.ShellMakeDirectory(dir);
                if (!made.ok && made.error != EEXIST) {
                    goOn = report.failed(path, made.error, dir);
                } else {
                    const FileOpResult r = journal.ShellMoveFile(path, dir + model.cell(ListModel::ColName, row));
                    done.record(r);
                    if (r.ok) {
                        pointEntryAt(model, row, r.used);
                        ++count;
                    } else {
                        goOn = report.failed(path, r.error, path);
                    }
                }
            }
            scope.keepGoing();
        }
    }
    ask.message(report.closing(count, " Fichiers Traités"));
    return count;
}
