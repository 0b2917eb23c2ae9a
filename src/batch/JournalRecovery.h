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

// Settles every journal that was not ended: each operation started but not marked is looked for
// on the disk and marked done (with where its file is) or never started; then the journal is ended
// and its pass can be undone like any other. Returns how many journals were completed. Run at
// start-up, before any pass.
int recoverJournals();
