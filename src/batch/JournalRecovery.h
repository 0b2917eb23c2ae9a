#pragma once
// Finding files again from what a journal recorded of them, and completing the journals of passes
// that a crash or a power cut ended in their middle.
#include "batch/FileJournal.h"

#include <QSet>
#include <QString>

#include <optional>

// Where a file of this identity is among the names a move to requested, never overwriting, could
// have given it (requested, "name (2).ext", ...), leaving out names already claimed.
std::optional<QString> findPlacedFile(const QString& requested, const FileIdentity& id,
                                      const QSet<QString>& claimed = {});

struct TrashedFile {
    QString inTrash;
    QString trashInfo;
};
// The file of this identity that was trashed from source, in the trash of its file system or the
// home trash.
std::optional<TrashedFile> findTrashedFile(const QString& source, const FileIdentity& id);

// Whether inTrash lies in the "files" folder of a freedesktop.org trash (the home trash "Trash",
// ".Trash-<uid>" or ".Trash/<uid>" at a volume's top) and info is its own record there,
// "info/<name>.trashinfo". The undo acts on a trash record only then: a journal's paths are not
// trusted to name a trash.
bool isTrashedPlace(const QString& inTrash, const QString& info);
// Whether used is a name a move to requested, never overwriting, gives: requested itself or a
// numbered name beside it.
bool isPlacedName(const QString& requested, const QString& used);

// What became of an operation that started and whose outcome line is missing (a crash, a power
// cut, a journal that a full disk cut short).
struct PendingOutcome {
    enum What { NotStarted, Done, Lost } what = Lost;
    QString used;
    FileIdentity usedIdentity;
    QString trashInfo;
};
// Looks for the file on the disk: still at its source (the operation never ran, or a copy across
// file systems was cut before the original went: the original counts), where it was going, or in
// the trash; Lost when it is in none of these places.
PendingOutcome settlePending(const JournalRecord& r, const QSet<QString>& claimed);

// Settles every journal that was not ended: each operation started but not marked is looked for
// on the disk and marked done (with where its file is) or never started; one whose file is nowhere
// is left for the undo to look for again and report. What a move cut short left behind goes: its
// hidden temporary copy, a whole copy that is byte for byte the original it kept, and an orphan
// ".trashinfo" of a file that never went to the trash. Then the journal is ended and its pass can
// be undone like any other. Returns how many journals were completed. Run at start-up, before any
// pass; journals that cannot be read are left alone.
int recoverJournals();
