#include "batch/UndoPass.h"

#include "controller/ReviewController.h"
#include "batch/BatchPass.h"
#include "batch/FileJournal.h"
#include "batch/JournalRecovery.h"
#include "list/TakenEntries.h"
#include "platform/PathUtil.h"
#include "platform/Prompts.h"
#include "platform/SafeWrite.h"
#include "platform/ShellFileOp.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <cerrno>
#include <optional>
#include <unistd.h>

namespace {

// The last pass that is ended, not undone, and has files to put back; or, in problem, why a
// journal newer than it cannot be read (the passes are undone last first: none is passed over).
struct LastPass {
    std::optional<PassJournal> pass;
    QString problem;
};

LastPass lastUndoablePass()
{
    const QStringList files = journalFiles();
    for (auto it = files.crbegin(); it != files.crend(); ++it) {
        PassJournal j = readJournal(*it);
        if (j.readError != 0)
            return {std::nullopt, QString::fromUtf8("Impossible de lire le journal d'annulation \"") + *it
                                      + QStringLiteral("\" : ") + journalErrorText(j.readError)};
        if (j.ended && !j.undone && j.toUndo() > 0)
            return {std::move(j), {}};
    }
    return {};
}

QString passCaption(const PassJournal& j)
{
    QString what = j.pass;
    if (j.pass == QLatin1String("Corbeille"))
        what = QString::fromUtf8("Envoi à la Corbeille");
    else if (j.pass == QLatin1String("TriZones"))
        what = QStringLiteral("Tri par Zones");
    else if (j.pass == QLatin1String("Renommer"))
        what = QString::fromUtf8("Renommer / Déplacer");
    const QDateTime when = QDateTime::fromString(QFileInfo(j.path).fileName().left(15), QStringLiteral("yyyyMMdd-HHmmss"));
    if (when.isValid())
        what += QStringLiteral(" du ") + when.toString(QStringLiteral("dd/MM/yyyy à HH:mm"));
    return what;
}

struct UndoTally {
    int restored = 0;
    int elsewhere = 0;  // put back under another name than the old one
    QString firstElsewhere;
    int failed = 0;
    QString firstReason;
    int unreadable = 0;  // lines of the journal
    QString firstUnreadable;

    void fail(int err, const QString& path) { fail(fileReasonText(err), path); }
    void fail(const QString& reason, const QString& path)
    {
        if (failed++ == 0)
            firstReason = reason + QStringLiteral(" : \"") + path + QLatin1Char('"');
    }
    QString message() const
    {
        QString m = QString::fromUtf8("Traitement Annulé: ") + QString::number(restored) + QString::fromUtf8(" Fichiers Rétablis");
        if (elsewhere > 0)
            m += QLatin1Char('\n') + QString::number(elsewhere)
                + QString::fromUtf8(" sous un autre nom, l'ancien étant pris (") + firstElsewhere + QLatin1Char(')');
        if (failed > 0)
            m += QLatin1Char('\n') + QString::number(failed) + QString::fromUtf8(" Fichiers non Rétablis: ") + firstReason;
        if (unreadable > 0)
            m += QLatin1Char('\n') + QString::number(unreadable) + QStringLiteral(" Lignes du Journal Illisibles: ")
                + firstUnreadable;
        return m;
    }
};

}  // namespace

int undoLastPass(ReviewController& review, ShellFileOp& ops, Prompts& ask)
{
    const LastPass found = lastUndoablePass();
    if (!found.problem.isEmpty()) {
        ask.message(found.problem);
        return 0;
    }
    if (!found.pass) {
        ask.message(QString::fromUtf8("Aucun Traitement à Annuler"));
        return 0;
    }
    const PassJournal& j = *found.pass;
    if (!ask.confirm(QStringLiteral("Voulez-vous Annuler le Dernier Traitement (") + passCaption(j) + QStringLiteral(", ")
                     + QString::number(j.toUndo()) + QStringLiteral(" Fichiers) ?")))
        return 0;

    JournalWriter w = JournalWriter::append(j.path);
    UndoTally tally;
    if (j.unreadable > 0) {
        tally.unreadable = j.unreadable;
        tally.firstUnreadable = QStringLiteral("ligne %1 de \"%2\"").arg(j.firstUnreadable).arg(j.path);
    }
    // The entries that name each file, pointed at it again as soon as it is back, so that the list
    // stays true to the disk while the undo runs (the stop keys show the entry on show).
    ListModel& model = review.model();
    QMultiHash<QString, int> rowsOf;
    for (int row = review.FirstRow(); row <= model.entryCount(); ++row)
        rowsOf.insert(QDir::cleanPath(review.EntryPath(row)), row);
    // Names the pass gave to files: a file looked for again is not taken from another's place.
    QSet<QString> claimed;
    // The folders the pass's moves went to: the only ones the undo may remove, and only empty.
    QSet<QString> targetFolders;
    for (const JournalRecord& r : j.records) {
        if (r.state == JournalState::Done)
            claimed.insert(r.used);
        if (r.kind != JournalKind::Trash && !r.requested.isEmpty())
            targetFolders.insert(QDir::cleanPath(directoryPart(r.requested)));
    }
    bool changed = false;
    bool complete = true;
    QHash<QString, QString> backAt;  // cleaned old path of each file put back -> where it is now
    {
        StopScope scope(review.stopFlag());
        for (auto it = j.records.crbegin(); it != j.records.crend(); ++it) {
            JournalRecord r = *it;
            if (r.undone || r.unrestored || (r.state != JournalState::Done && r.state != JournalState::Pending))
                continue;
            if (!scope.running()) {
                complete = false;
                break;
            }
            if (r.state == JournalState::Pending) {
                // Its outcome line was lost: the file is looked for as at a start after a crash.
                const PendingOutcome o = settlePending(r, claimed);
                if (o.what == PendingOutcome::NotStarted) {
                    w.skipped(r.index);
                    continue;
                }
                if (o.what == PendingOutcome::Lost) {
                    tally.fail(ENOENT, r.source);
                    w.notRestored(r.index, ENOENT, r.source);
                    continue;
                }
                r.state = JournalState::Done;
                r.used = o.used;
                r.usedIdentity = o.usedIdentity;
                r.trashInfo = o.trashInfo;
                w.done(r.index, r.used, r.usedIdentity, r.trashInfo);
                claimed.insert(r.used);
            }
            // Only a place the operation can have given the file is acted on: a damaged or edited
            // journal must not send the undo after files outside the pass, nor remove any.
            const bool trusted = r.kind == JournalKind::Trash ? isTrashedPlace(r.used, r.trashInfo)
                                                              : isPlacedName(r.requested, r.used);
            std::optional<QString> to;
            if (!trusted) {
                tally.fail(QString::fromUtf8("Emplacement non reconnu dans le journal"), r.used);
                w.notRestored(r.index, EINVAL, r.used);
            } else if (identityOf(r.used).sameFile(r.usedIdentity)) {
                // Its old folder may have gone since; it is made again rather than leave the file out.
                const QString dir = directoryPart(r.source);
                if (!dir.isEmpty() && !QFileInfo(dir).isDir())
                    QDir().mkpath(dir);
                const FileOpResult m = ops.ShellMoveFile(r.used, r.source);
                if (m.ok) {
                    to = m.used;
                    if (r.kind == JournalKind::Trash)
                        QFile::remove(r.trashInfo);
                } else {
                    tally.fail(m.error, r.used);
                    w.notRestored(r.index, m.error, r.used);
                }
            } else if (const std::optional<QString> at = findPlacedFile(r.source, r.usedIdentity)) {
                to = at;  // put back already, by an undo that was cut short
            } else {
                tally.fail(ENOENT, r.used);
                w.notRestored(r.index, ENOENT, r.used);
            }
            if (to) {
                w.restoredTo(r.index, *to);
                ++tally.restored;
                backAt.insert(QDir::cleanPath(r.source), *to);
                const QString was = QDir::cleanPath(r.used);
                for (auto row = rowsOf.constFind(was); row != rowsOf.constEnd() && row.key() == was; ++row) {
                    if (model.isEntryRow(*row) && QDir::cleanPath(review.EntryPath(*row)) == was) {
                        pointEntryAt(model, *row, *to);
                        changed = true;
                    }
                }
                if (QDir::cleanPath(*to) != QDir::cleanPath(r.source) && tally.elsewhere++ == 0)
                    tally.firstElsewhere = *to;
            }
            scope.keepGoing();
        }
    }
    if (complete) {
        // Last made, first removed: a Zone folder inside another goes before it. Only empty ones
        // that the pass's moves went to.
        for (auto it = j.createdDirectories.crbegin(); it != j.createdDirectories.crend(); ++it)
            if (targetFolders.contains(QDir::cleanPath(*it)))
                ::rmdir(QFile::encodeName(*it).constData());
    }
    // The pass counts as undone only when every file it moved is back and every line was read.
    if (complete && tally.failed == 0 && tally.unreadable == 0)
        w.undone();
    else
        w.sync();

    // Entries the trash pass took out of this list come back at their rows, with their tags.
    std::vector<TakenEntry> back = review.takenEntries().takeBack(j.path, backAt);
    if (!back.empty()) {
        putBack(model, std::move(back));
        review.Recount();
        changed = true;
    }
    if (changed)
        review.SetListModified(true);
    ask.message(tally.message());
    return tally.restored;
}
