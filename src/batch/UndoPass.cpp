#include "batch/UndoPass.h"

#include "app/ReviewController.h"
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

#include <cerrno>
#include <optional>
#include <unistd.h>

namespace {

// The last pass that is ended, not undone, and has files to put back.
std::optional<PassJournal> lastUndoablePass()
{
    const QStringList files = journalFiles();
    for (auto it = files.crbegin(); it != files.crend(); ++it) {
        PassJournal j = readJournal(*it);
        if (j.ended && !j.undone && j.toUndo() > 0)
            return j;
    }
    return std::nullopt;
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

    void fail(int err, const QString& path)
    {
        if (failed++ == 0)
            firstReason = fileErrorText(err) + QStringLiteral(" : \"") + path + QLatin1Char('"');
    }
    QString message() const
    {
        QString m = QString::fromUtf8("Traitement Annulé: ") + QString::number(restored) + QString::fromUtf8(" Fichiers Rétablis");
        if (elsewhere > 0)
            m += QLatin1Char('\n') + QString::number(elsewhere)
                + QString::fromUtf8(" sous un autre nom, l'ancien étant pris (") + firstElsewhere + QLatin1Char(')');
        if (failed > 0)
            m += QLatin1Char('\n') + QString::number(failed) + QString::fromUtf8(" Fichiers non Rétablis: ") + firstReason;
        return m;
    }
};

}  // namespace

int undoLastPass(ReviewController& review, ShellFileOp& ops, Prompts& ask)
{
    const std::optional<PassJournal> found = lastUndoablePass();
    if (!found) {
        ask.message(QString::fromUtf8("Aucun Traitement à Annuler"));
        return 0;
    }
    const PassJournal& j = *found;
    if (!ask.confirm(QStringLiteral("Voulez-vous Annuler le Dernier Traitement (") + passCaption(j) + QStringLiteral(", ")
                     + QString::number(j.toUndo()) + QStringLiteral(" Fichiers) ?")))
        return 0;

    JournalWriter w = JournalWriter::append(j.path);
    UndoTally tally;
    // The entries that name each file, pointed at it again as soon as it is back, so that the list
    // stays true to the disk while the undo runs (the stop keys show the entry on show).
    ListModel& model = review.model();
    QMultiHash<QString, int> rowsOf;
    for (int row = review.FirstRow(); row <= model.entryCount(); ++row)
        rowsOf.insert(QDir::cleanPath(review.EntryPath(row)), row);
    bool changed = false;
    bool complete = true;
    QHash<QString, QString> backAt;  // cleaned old path of each file put back -> where it is now
    {
        StopScope scope(review.stopFlag());
        for (auto it = j.records.crbegin(); it != j.records.crend(); ++it) {
            const JournalRecord& r = *it;
            if (r.state != JournalState::Done || r.undone || r.unrestored)
                continue;
            if (!scope.running()) {
                complete = false;
                break;
            }
            std::optional<QString> to;
            if (identityOf(r.used).sameFile(r.usedIdentity)) {
                // Its old folder may have gone since; it is made again rather than leave the file out.
                const QString dir = directoryPart(r.source);
                if (!dir.isEmpty() && !QFileInfo(dir).isDir())
                    QDir().mkpath(dir);
                const FileOpResult m = ops.ShellMoveFile(r.used, r.source);
                if (m.ok) {
                    to = m.used;
                    if (r.kind == JournalKind::Trash && !r.trashInfo.isEmpty())
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
        // Last made, first removed: a Zone folder inside another goes before it. Only empty ones go.
        for (auto it = j.createdDirectories.crbegin(); it != j.createdDirectories.crend(); ++it)
            ::rmdir(QFile::encodeName(*it).constData());
        w.undone();
    } else {
        w.sync();
    }

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
